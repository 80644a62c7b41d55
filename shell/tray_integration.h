#pragma once
#include <QImage>
#include <QObject>
#include <functional>

class QAction;
class QIcon;
class QMenu;
class QSystemTrayIcon;
class QWidget;
class TForm_TarnelProbe;

namespace nv {

class Memory;
struct MemoryStatusEx;
class TrayRedockWatch;

// The program's place in the notification area: the icon that shows the memory figures, the
// menu it opens, and its return when a tray host appears anew. The main window owns it, wires
// the menu's entries and answers its requests.
class TrayIntegration : public QObject {
  Q_OBJECT
 public:
  // `cpuUsage` gives the processor load of the icon's third bar. The menu is a child of `window`.
  TrayIntegration(Memory& memory, std::function<double()> cpuUsage, QWidget* window);

  // Shows the icon afresh, with the figures of now and the title as its tip.
  void AddTrayIcon();
  // Brings the icon's figures and its tip up to date with `status`, the refresh's one reading.
  void UpdateTrayIcon(const MemoryStatusEx& status);
  void RemoveTrayIcon();
  // Whether a tray runs that can show the icon, and so bring a hidden window back.
  static bool Available();

  // The menu the icon opens, a child of the window; the window wires its entries.
  QMenu* PopupMenu_Taskbar = nullptr;
  QAction* OpenMainWindow1 = nullptr;
  QAction* pm_StartautoOptimize = nullptr;
  QAction* OverallOpimize1 = nullptr;
  QAction* Liveupdate1 = nullptr;
  QAction* Exit1 = nullptr;

 signals:
  // The user asked for the main window from the icon.
  void OpenRequested();

 private:
  friend class ::TForm_TarnelProbe;

  void BuildMenu(QWidget* window);
  QIcon DrawTrayIcon(const MemoryStatusEx& status);
  // The figures of now and the title as tip, as an icon just added shows.
  void ShowTitleIcon();
  void TrayIconActivated(int reason);  // a QSystemTrayIcon::ActivationReason

  Memory& memory_;
  std::function<double()> cpuUsage_;
  QImage Image_IconBak;  // the icon's clean template, at its design size of 16 x 16
  QSystemTrayIcon* TrayIcon = nullptr;
  TrayRedockWatch* TrayHostWatch = nullptr;
};

}  // namespace nv
