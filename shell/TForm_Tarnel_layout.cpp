#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "shell/PublicFunctionUnit.h"
#include "shell/TForm_Tarnel.h"
#include "shell/page_layouts.h"
#include "shell/dashboard_page.h"
#include "shell/jpeg_decoder.h"
#include "shell/layout_helpers.h"
#include "shell/settings_page.h"
#include "shell/tray_integration.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TLinkLabel.h"
#include "shell/widgets/TNotebook.h"
#include "shell/widgets/TStatusBar.h"


using namespace nv::layout;

namespace {

// One 25 x 14 corner button: a sign on a rounded field, with a thin light rim, drawn over the
// part of the title picture it covers so that its rounded corners show the title around them;
// at the title's device pixel ratio.
QImage CornerButton(const QImage& title, QPoint at, QColor field, bool cross) {
  const double scale = title.devicePixelRatio();
  QImage image = title.copy(QRectF(at * scale, QSizeF(25, 14) * scale).toRect()).convertToFormat(QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, 0, 14);
  fill.setColorAt(0.0, field.lighter(135));
  fill.setColorAt(1.0, field);
  p.setBrush(fill);
  p.setPen(QPen(QColor(255, 255, 255, 110), 1));
  QPainterPath shape;
  shape.addRoundedRect(QRectF(0.5, -4, 24, 17.5), 4, 4);
  p.drawPath(shape);
  p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
  if (cross) {
    p.drawLine(QPointF(9.5, 3.5), QPointF(15.5, 9.5));
    p.drawLine(QPointF(15.5, 3.5), QPointF(9.5, 9.5));
  } else {
    p.drawLine(QPointF(8.5, 9), QPointF(16.5, 9));
  }
  return image;
}

}  // namespace

void TForm_Tarnel::buildLayout() {
  setWindowFlag(Qt::FramelessWindowHint);
  setFixedSize(710, 546);
  move(279, 233);
  QFont base(QStringLiteral("MS Sans Serif"));
  base.setPixelSize(11);
  setFont(base);

  // Title panel: the picture fills it and drags the window; the tabs and corner buttons lie on it.
  auto* title = Named(new QWidget(this), "Panel_Title");
  title->setGeometry(0, 0, 710, 92);
  Image1 = Named(new TImageEx(title), "Image1");
  LoadButtonPicture(Image1, QStringLiteral("Title"));
  const QImage& titlePicture = Image1->picture();
  const QPoint minimizeAt(643, 0), closeAt(667, 0);
  MinImgList = {CornerButton(titlePicture, minimizeAt, QColor(36, 96, 170), false),
                CornerButton(titlePicture, minimizeAt, QColor(80, 150, 225), false),
                CornerButton(titlePicture, closeAt, QColor(222, 110, 30), true),
                CornerButton(titlePicture, closeAt, QColor(240, 40, 30), true)};
  SpeedButton_UsageGraph = PictureButton(title, "SpeedButton_UsageGraph", QStringLiteral("SpeedButton_UsageGraph"), 247, 52);
  SpeedButton_full = PictureButton(title, "SpeedButton_full", QStringLiteral("SpeedButton_full1"), 396, 52);
  SpeedButton_Set = PictureButton(title, "SpeedButton_Set", QStringLiteral("SpeedButton_Set1"), 544, 52);
  MinimizeBtn = Named(new TImageEx(title), "MinimizeBtn");
  MinimizeBtn->AutoSize = false;
  MinimizeBtn->setGeometry(QRect(minimizeAt, QSize(24, 14)));
  MinimizeBtn->setPicture(MinImgList[0]);
  CloseBtn = Named(new TImageEx(title), "CloseBtn");
  CloseBtn->AutoSize = false;
  CloseBtn->setGeometry(QRect(closeAt, QSize(25, 14)));
  CloseBtn->setPicture(MinImgList[2]);
  Label_AutoOptimize = Named(Label(title, QString(), 80, 72, 150), "Label_AutoOptimize");
  Label_AutoOptimize->hide();

  // Middle panel: border pictures either side of the notebook.
  auto* middle = Named(new QWidget(this), "Panel_Middle");
  middle->setGeometry(0, 92, 710, 419);
  QPalette white = middle->palette();
  white.setColor(QPalette::Window, Qt::white);
  middle->setPalette(white);
  middle->setAutoFillBackground(true);
  Image2 = Named(new TImageEx(middle), "Image2");
  LoadButtonPicture(Image2, QStringLiteral("BorderLeft"));
  Image12 = Named(new TImageEx(middle), "Image12");
  Image12->move(698, 0);
  LoadButtonPicture(Image12, QStringLiteral("BorderRight"));
  Notebook1 = Named(new TNotebook(middle), "Notebook1");
  Notebook1->setGeometry(12, 0, 686, 419);
  // The usage page, the first added and so the one selected, is the one the first showing shows.
  // The other pages are made when first selected: their state lives in the pages' classes,
  // which fill them in when they are made.
  Notebook1->addPage(QStringLiteral("USAGEGROUP"), BuildUsagePage(*this));
  Notebook1->addPage(QStringLiteral("Processes"), [this] {
    const nv::JpegDecoderHold decoderForItsPictures;
    QWidget* page = BuildProcessesPage(*this);
    setupProcessesPage();
    return page;
  });
  Notebook1->addPage(QStringLiteral("Settings"), [this] {
    const nv::JpegDecoderHold decoderForItsPictures;
    QWidget* page = BuildSettingsPage(*this);
    Settings->AttachPage();
    return page;
  });
  Notebook1->addPage(QStringLiteral("OverallOpimize"), [this] {
    QWidget* page = BuildOverallPage(*this);
    Dashboard->ShowOverall();
    return page;
  });

  // Bottom panel: the picture, the two links, and the status line that is never shown.
  auto* bottom = Named(new QWidget(this), "Panel_Bottom");
  bottom->setGeometry(0, 511, 710, 35);
  Image18 = Named(new TImageEx(bottom), "Image18");
  LoadButtonPicture(Image18, QStringLiteral("Bottom"));
  const auto link = [bottom](const char* name, const QString& text, int x) {
    auto* label = Named(new TLinkLabel(text, bottom), name);
    nv::ApplyTextLook(label, {0xffffff});
    label->setCursor(Qt::PointingHandCursor);
    label->move(x, 15);
    label->adjustSize();
    return label;
  };
  HelpBtn = link("HelpBtn", QStringLiteral("Help"), 31);
  AboutBtn = link("AboutBtn", QStringLiteral("About"), 84);
  auto* statusPanel = Named(new QWidget(bottom), "Panel_Status");
  statusPanel->setGeometry(350, 0, 360, 20);
  StatusBar_State = Named(new TStatusBar(statusPanel), "StatusBar_State");
  StatusBar_State->setGeometry(0, 0, 360, 20);
  statusPanel->hide();

  const auto timer = [this](const char* name, int interval) {
    auto* t = Named(new QTimer(this), name);
    t->setInterval(interval);
    return t;
  };
  Timer_self = timer("Timer_self", 1000);
  Timer_GetProcessInfo = timer("Timer_GetProcessInfo", 2000);
  Timer_Auto = timer("Timer_Auto", 4000);
  Timer_HideMainWindows = timer("Timer_HideMainWindows", 1);

  Tray = new nv::TrayIntegration(svc.memory, [this] { return Dashboard->CpuUsage(); }, this);
}
