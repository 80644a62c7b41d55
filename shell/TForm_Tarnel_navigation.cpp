#include <QWindow>
#include <optional>
#include <utility>

#include "engine/auto_optimization.h"
#include "shell/PublicFunctionUnit.h"
#include "shell/TForm_Tarnel.h"
#include "shell/jpeg_decoder.h"
#include "shell/settings_page.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TLinkLabel.h"
#include "shell/widgets/TNotebook.h"

namespace {

struct HoverPictures {
  QString normal, hover;
};

// The pictures of an action button, named after it; the run buttons take theirs by their mark
// (Tag), which the auto-optimization keeps in step with its state.
std::optional<HoverPictures> ActionButtonPictures(const TImageEx* sender) {
  if (!sender) return std::nullopt;
  const QString name = sender->objectName();
  if (name == u"SpeedButton_RunAuto" || name == u"SpeedButton_RunAuto2") {
    using namespace nv::auto_texts;
    if (sender->Tag == kStoppedTag)
      return HoverPictures{QString::fromLatin1(kStartPicture), QString::fromLatin1(kStartHoverPicture)};
    return HoverPictures{QString::fromLatin1(kStopPicture), QString::fromLatin1(kStopHoverPicture)};
  }
  for (const char* other :
       {"SpeedButton_StartFull", "Button_EmptyClipboard", "SpeedButton_SetVM", "SpeedButton_Defaykt", "SpeedButton_SaveSet"}) {
    if (name == QLatin1String(other)) return HoverPictures{name + u'1', name};
  }
  return std::nullopt;
}

void Underline(TLinkLabel* label, bool on) {
  QFont f = label->font();
  f.setUnderline(on);
  if (!on) {
    f.setBold(false);
    f.setItalic(false);
  }
  label->setFont(f);
}

}  // namespace

void TForm_Tarnel::setupNavigation() {
  connectActionButtonHover(SpeedButton_RunAuto);
  for (TImageEx* b : {MinimizeBtn, CloseBtn}) {
    connect(b, &TImageEx::OnMouseEnter, this, &TForm_Tarnel::CloseBtnMouseEnter);
    connect(b, &TImageEx::OnMouseLeave, this, &TForm_Tarnel::CloseBtnMouseLeave);
  }
  connect(MinimizeBtn, &TImageEx::OnClick, this, &TForm_Tarnel::MinimizeBtnClick);
  connect(CloseBtn, &TImageEx::OnClick, this, &TForm_Tarnel::CloseBtnClick);
  connect(SpeedButton_UsageGraph, &TImageEx::OnClick, this, &TForm_Tarnel::SpeedButton_UsageGraphClick);
  connect(SpeedButton_full, &TImageEx::OnClick, this, &TForm_Tarnel::SpeedButton_fullClick);
  connect(SpeedButton_Set, &TImageEx::OnClick, this, &TForm_Tarnel::SpeedButton_SetClick);
  connect(Image1, &TImageEx::OnMouseDown, this, [this](TImageEx*, Qt::MouseButton b, int x, int y) { Image1MouseDown(b, x, y); });
  connect(Image1, &TImageEx::OnMouseMove, this, [this](TImageEx*, Qt::MouseButtons b, int x, int y) { Image1MouseMove(b, x, y); });
  for (TLinkLabel* link : {HelpBtn, AboutBtn}) {
    connect(link, &TLinkLabel::OnMouseEnter, this, [link] { Underline(link, true); });
    connect(link, &TLinkLabel::OnMouseLeave, this, [link] { Underline(link, false); });
  }
}

void TForm_Tarnel::connectActionButtonHover(TImageEx* button) {
  connect(button, &TImageEx::OnMouseEnter, this, &TForm_Tarnel::SpeedButton_RunAutoMouseEnter);
  connect(button, &TImageEx::OnMouseLeave, this, &TForm_Tarnel::SpeedButton_RunAutoMouseLeave);
}

void TForm_Tarnel::SpeedButton_RunAutoMouseEnter(TImageEx* sender) {
  if (auto pictures = ActionButtonPictures(sender)) LoadButtonPicture(sender, pictures->hover);
}

void TForm_Tarnel::SpeedButton_RunAutoMouseLeave(TImageEx* sender) {
  if (auto pictures = ActionButtonPictures(sender)) LoadButtonPicture(sender, pictures->normal);
}

void TForm_Tarnel::CloseBtnMouseEnter(TImageEx* sender) {
  if (sender != MinimizeBtn && sender != CloseBtn) return;
  sender->clearPicture();
  sender->setPicture(MinImgList[sender == MinimizeBtn ? 1 : 3]);
}

void TForm_Tarnel::CloseBtnMouseLeave(TImageEx* sender) {
  if (sender != MinimizeBtn && sender != CloseBtn) return;
  sender->clearPicture();
  sender->setPicture(MinImgList[sender == MinimizeBtn ? 0 : 2]);
}

// Selects the page first, then gives the three tabs their pictures, always in tab order.
void TForm_Tarnel::selectTab(const QString& page, int selected) {
  const nv::JpegDecoderHold decoderForThreePictures;  // and for the page's, when it is made now
  Notebook1->setActivePage(page);
  const std::pair<TImageEx*, const char*> tabs[] = {{SpeedButton_UsageGraph, "SpeedButton_UsageGraph"},
                                                    {SpeedButton_full, "SpeedButton_full"},
                                                    {SpeedButton_Set, "SpeedButton_Set"}};
  for (int i = 0; i < 3; ++i) {
    const QString name = QString::fromLatin1(tabs[i].second);
    LoadButtonPicture(tabs[i].first, i == selected ? name : name + u'1');
  }
}

void TForm_Tarnel::SpeedButton_UsageGraphClick() { selectTab(QStringLiteral("USAGEGROUP"), 0); }

void TForm_Tarnel::SpeedButton_fullClick() { selectTab(QStringLiteral("PROCESSES"), 1); }

void TForm_Tarnel::SpeedButton_SetClick() { selectTab(QStringLiteral("Settings"), 2); }

// The window system moves the window as if its caption were dragged (a Wayland compositor
// ignores a client that places its own window); where it cannot, the window follows the mouse.
void TForm_Tarnel::Image1MouseDown(Qt::MouseButton button, int x, int y) {
  DragOriginX = x;
  DragOriginY = y;
  SystemMoving = button == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove();
}

void TForm_Tarnel::Image1MouseMove(Qt::MouseButtons buttons, int x, int y) {
  if (SystemMoving || !buttons.testFlag(Qt::LeftButton)) return;
  move(this->x() + x - DragOriginX, this->y() + y - DragOriginY);
}

void TForm_Tarnel::MinimizeBtnClick() { showMinimized(); }

// While "Minimize to tray when close window " is checked the close button only puts the window
// away, into the tray when there is one.
void TForm_Tarnel::CloseBtnClick() {
  if (Settings->Current().CloseMinimize)
    HideToTray();
  else
    close();
}
