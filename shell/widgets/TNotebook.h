#pragma once
#include <QStackedWidget>
#include <QString>
#include <functional>
#include <vector>

// Pages selected by name, without regard to case. A page can be given as the builder that makes
// it, so that a page nobody looks at costs none of its widgets: it is made the first time it is
// selected or asked for by name.
class TNotebook : public QStackedWidget {
  Q_OBJECT
 public:
  using PageBuilder = std::function<QWidget*()>;

  using QStackedWidget::QStackedWidget;
  void addPage(const QString& name, QWidget* page);
  // The page keeps its place among the others, whenever it is made.
  void addPage(const QString& name, PageBuilder build);
  // A name that matches no page leaves the current page.
  void setActivePage(const QString& name);
  QString activePage() const;
  // The page of that name, made now if it was not yet; nullptr when there is none.
  QWidget* page(const QString& name);

 private:
  struct Entry {
    QString name;
    PageBuilder build;  // empty once the page is made
  };
  // The entry of that name, or -1.
  int find(const QString& name) const;

  std::vector<Entry> entries_;  // every page, in the order they were added
};
