// The yardstick of the start-up benchmark: a Qt Widgets program that shows one window of the
// main window's size and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Minimal"));
  window.resize(710, 546);
  window.show();
  return app.exec();
}
