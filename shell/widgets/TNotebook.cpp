#include "shell/widgets/TNotebook.h"

void TNotebook::addPage(const QString& name, QWidget* page) {
  page->setObjectName(name);
  addWidget(page);
}

void TNotebook::setActivePage(const QString& name) {
  if (QWidget* named = page(name)) setCurrentWidget(named);
}

QWidget* TNotebook::page(const QString& name) const {
  for (int i = 0; i < count(); ++i)
    if (widget(i)->objectName().compare(name, Qt::CaseInsensitive) == 0) return widget(i);
  return nullptr;
}

QString TNotebook::activePage() const {
  const QWidget* page = currentWidget();
  return page ? page->objectName() : QString();
}
