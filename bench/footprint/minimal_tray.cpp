// The smallest Qt 6 tray program worth the name, the yardstick of the footprint benchmark: a
// drawn 16 x 16 icon with a tooltip and a menu with an Exit action, and no window.
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  QPixmap picture(16, 16);
  picture.fill(Qt::blue);
  {
    QPainter painter(&picture);
    painter.fillRect(0, 14, 10, 2, Qt::green);
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("42"));
  }
  QSystemTrayIcon tray{QIcon(picture)};
  QMenu menu;
  QObject::connect(menu.addAction(QStringLiteral("Exit")), &QAction::triggered, &app, &QApplication::quit);
  tray.setContextMenu(&menu);
  tray.setToolTip(QStringLiteral("Minimal tray"));
  tray.show();
  return app.exec();
}
