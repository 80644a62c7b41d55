#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include "shell/TForm_Tarnel.h"
#include "shell/page_layouts.h"
#include "shell/layout_helpers.h"
#include "shell/widgets/THotKeyEdit.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TSpinEdit.h"

namespace nv::layout {

namespace {

constexpr int kRow = 28;
constexpr QRgb kFrameColor = 0xb8d8de;

// A group of settings: a rounded frame whose top line runs through the caption, left of it.
class SettingsGroup : public QWidget {
 public:
  SettingsGroup(const QString& caption, int rows, QWidget* parent) : QWidget(parent), caption_(caption) {
    setFixedHeight(22 + rows * kRow);
    setFont(DesktopFont());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    constexpr int kFrameTop = 9, kCaptionLeft = 10, kCaptionPadding = 6, kRadius = 6;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor::fromRgb(kFrameColor));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, kFrameTop + 0.5, -0.5, -0.5), kRadius, kRadius);
    const QFontMetrics metrics = fontMetrics();
    const QRect caption(kCaptionLeft, 0, metrics.horizontalAdvance(caption_) + 2 * kCaptionPadding, metrics.height());
    p.fillRect(caption, Qt::white);
    p.setPen(QColor::fromRgb(0x0e7680));
    p.drawText(caption, Qt::AlignCenter, caption_);
  }

 private:
  QString caption_;
};

// What the settings controls show is set by nv::SettingsPage, which holds the settings.
QCheckBox* CheckBox(QWidget* parent, const char* name, const QString& caption, int x, int row) {
  auto* box = Named(new QCheckBox(caption, parent), name);
  box->move(x, 20 + row * kRow);
  box->adjustSize();
  return box;
}

TSpinEdit* SpinEdit(QWidget* parent, const char* name, int min, int max, int x, int row) {
  auto* edit = Named(new TSpinEdit(min, max, min, parent), name);
  edit->setGeometry(x, 18 + row * kRow, 56, 21);
  return edit;
}

// The place just right of a control on the same row.
int After(const QWidget* w) { return w->x() + w->width() + 6; }

}  // namespace

// The page's groups, each making its controls into the window's members.
struct SettingsGroups {
  static void System(TForm_Tarnel& w, QWidget* g);
  static void Startup(TForm_Tarnel& w, QWidget* g);
  static void HotKeys(TForm_Tarnel& w, QWidget* g);
  static void Auto(TForm_Tarnel& w, QWidget* g);
};

void SettingsGroups::System(TForm_Tarnel& w, QWidget* g) {
  w.CheckBox_AutoProcessList = CheckBox(g, "CheckBox_AutoProcessList", QStringLiteral("Auto refresh system status,interval :"), 14, 0);
  w.SpinEdit_ProcessListTime = SpinEdit(g, "SpinEdit_ProcessListTime", 1, 59, After(w.CheckBox_AutoProcessList), 0);
  Label(g, QStringLiteral("seconds"), After(w.SpinEdit_ProcessListTime), 22);
}

void SettingsGroups::Startup(TForm_Tarnel& w, QWidget* g) {
  w.CheckBox_AutoStart = CheckBox(g, "CheckBox_AutoStart", QStringLiteral("Startup with system start"), 14, 0);
  w.CheckBox_Auto = CheckBox(g, "CheckBox_Auto", QStringLiteral("Auto optimize when start"), 330, 0);
  w.CheckBox_CloseMinimize = CheckBox(g, "CheckBox_CloseMinimize", QStringLiteral("Minimize to tray when close window "), 14, 1);
  w.CheckBox_MinimizeStart = CheckBox(g, "CheckBox_MinimizeStart", QStringLiteral("Minimize when start"), 330, 1);
}

void SettingsGroups::HotKeys(TForm_Tarnel& w, QWidget* g) {
  const struct {
    const char *box, *caption, *edit, *label;
  } hotKeySlots[] = {
      {"CheckBox_AutoOptimizeReg", "Auto Optimize(Start/Stop)", "Edit_AutoOptimizeKey", "Label_hk1"},
      {"CheckBox_TweakMemoryReg", "Tweak memory", "Edit_TweakMemoryKey", "Label_hk2"},
      {"CheckBox_OpenMainWindowReg", "Open Main Window", "Edit_OpenMainWindowKey", "Label_hk3"},
      {"CheckBox_ProcessExitReg", "Process Exit", "Edit_ProcessExitKey", "Label_hk4"},
  };
  for (int i = 0; i < 4; ++i) {
    w.HotKeyCheckBoxes[i] = CheckBox(g, hotKeySlots[i].box, QString::fromLatin1(hotKeySlots[i].caption), 14, i);
    w.HotKeyEdits[i] = Named(new THotKeyEdit(g), hotKeySlots[i].edit);
    w.HotKeyEdits[i]->setGeometry(214, 18 + i * kRow, 180, 21);
    w.HotKeyLabels[i] = Named(Label(g, QStringLiteral("not register"), 412, 22 + i * kRow, 220, &kFigureLook), hotKeySlots[i].label);
  }
}

void SettingsGroups::Auto(TForm_Tarnel& w, QWidget* g) {
  auto* interval = Label(g, QStringLiteral("Auto optimize interval(sec)"), 18, 22);
  w.SpinEdit_Time = SpinEdit(g, "SpinEdit_Time", 1, 59, After(interval), 0);
  w.CheckBox_EmptyClipboard = CheckBox(g, "CheckBox_EmptyClipboard", QStringLiteral("Clean clipboard when  auto optimize (Not recommend)"), 14, 1);
  w.Button_EmptyClipboard = PictureButton(g, "Button_EmptyClipboard", QStringLiteral("Button_EmptyClipboard1"),
                                          std::max(After(w.CheckBox_EmptyClipboard) + 8, 380), 17 + kRow);
  w.CheckBox_AfterMemTrim = CheckBox(
      g, "CheckBox_AfterMemTrim", QStringLiteral("Tweak memory before auto optimization (It will take few seconds to start program)"), 14, 2);
  w.CheckBox_bstopauto = CheckBox(g, "CheckBox_bstopauto", QStringLiteral("Stop optimization when available memory usage is higher than :"), 14, 3);
  w.SpinEdit_bstopauto = SpinEdit(g, "SpinEdit_bstopauto", 1, 100, After(w.CheckBox_bstopauto), 3);
  Label(g, QStringLiteral("%"), After(w.SpinEdit_bstopauto), 22 + 3 * kRow);
}

QWidget* BuildSettingsPage(TForm_Tarnel& w) {
  auto* page = new QWidget;
  auto* scroll = Named(new QScrollArea(page), "ScrollBox_Settings");
  scroll->setGeometry(0, 0, 686, 366);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  // Spaced so that the page, opened at its top, ends below the clipboard button, not across it.
  column->setContentsMargins(12, 6, 12, 8);
  column->setSpacing(9);

  const struct {
    const char* caption;
    int rows;
    void (*fill)(TForm_Tarnel&, QWidget*);
  } groups[] = {{"System Settings", 1, SettingsGroups::System},
                {"Startup Settings", 2, SettingsGroups::Startup},
                {"Register Hot Key", 4, SettingsGroups::HotKeys},
                {"Auto Settings", 4, SettingsGroups::Auto}};
  for (const auto& g : groups) {
    auto* box = new SettingsGroup(QString::fromLatin1(g.caption), g.rows, content);
    g.fill(w, box);
    column->addWidget(box);
  }
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);

  auto* bar = new QWidget(page);
  bar->setGeometry(0, 366, 686, 53);
  FillBackground(bar, 0xffffff);
  auto* barTop = new QWidget(bar);
  barTop->setGeometry(0, 0, 686, 1);
  FillBackground(barTop, kFrameColor);
  w.SpeedButton_SetVM = PictureButton(page, "SpeedButton_SetVM", QStringLiteral("SpeedButton_SetVM1"), 37, 377);
  w.SpeedButton_Defaykt = PictureButton(page, "SpeedButton_Defaykt", QStringLiteral("SpeedButton_Defaykt1"), 253, 377);
  w.SpeedButton_SaveSet = PictureButton(page, "SpeedButton_SaveSet", QStringLiteral("SpeedButton_SaveSet1"), 470, 377);
  return page;
}

}  // namespace nv::layout
