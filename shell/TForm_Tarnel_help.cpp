#include <QAction>

#include "platform/product.h"
#include "shell/PublicFunctionUnit.h"
#include "shell/TDM.h"
#include "shell/TForm_Tarnel.h"
#include "shell/TFrm_About.h"
#include "shell/tray_integration.h"
#include "shell/widgets/TLinkLabel.h"
#include "update/product_values.h"

void TForm_Tarnel::setupHelp() {
  connect(HelpBtn, &TLinkLabel::OnClick, this, &TForm_Tarnel::HelpBtnClick);
  connect(AboutBtn, &TLinkLabel::OnClick, this, &TForm_Tarnel::AboutBtnClick);
  connect(Tray->Liveupdate1, &QAction::triggered, this, &TForm_Tarnel::Liveupdate1Click);
}

void TForm_Tarnel::HelpBtnClick() {
  const std::string helpFile = svc.shell.ProgramFolder() + nv::kProductTitle + ".chm";
  OpenUrl(svc.shell, svc.dialogs, svc.shell.FileExists(helpFile) ? helpFile : nv::HelpPageAddress());
}

void TForm_Tarnel::AboutBtnClick() {
  TFrm_About about(svc.shell, svc.dialogs, this);
  about.exec();
}

void TForm_Tarnel::Liveupdate1Click() {
  TDM::LiveUpdate({svc.http, svc.registry, svc.dialogs, svc.shell}, true, this);
}
