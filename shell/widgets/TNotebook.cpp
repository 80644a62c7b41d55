#include "shell/widgets/TNotebook.h"

#include <utility>

void TNotebook::addPage(const QString& name, QWidget* page) {
  entries_.push_back({name, {}});
  page->setObjectName(name);
  addWidget(page);
}

void TNotebook::addPage(const QString& name, PageBuilder build) { entries_.push_back({name, std::move(build)}); }

void TNotebook::setActivePage(const QString& name) {
  if (QWidget* named = page(name)) setCurrentWidget(named);
}

int TNotebook::find(const QString& name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
  return -1;
}

QWidget* TNotebook::page(const QString& name) {
  const int found = find(name);
  if (found < 0) return nullptr;
  Entry& entry = entries_[size_t(found)];
  // The pages made so far stand in the stack in the order they were added.
  int index = 0;
  for (int i = 0; i < found; ++i)
    if (!entries_[size_t(i)].build) ++index;
  if (!entry.build) return widget(index);
  QWidget* made = std::exchange(entry.build, {})();
  made->setObjectName(entry.name);
  insertWidget(index, made);
  return made;
}

QString TNotebook::activePage() const {
  const QWidget* page = currentWidget();
  return page ? page->objectName() : QString();
}
