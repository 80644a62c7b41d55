#pragma once
#include <QStackedWidget>
#include <QString>

// Pages selected by name, without regard to case.
class TNotebook : public QStackedWidget {
  Q_OBJECT
 public:
  using QStackedWidget::QStackedWidget;
  void addPage(const QString& name, QWidget* page);
  // A name that matches no page leaves the current page.
  void setActivePage(const QString& name);
  QString activePage() const;
  // The page of that name, nullptr when there is none.
  QWidget* page(const QString& name) const;
};
