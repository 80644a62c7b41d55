#include "shell/TForm_Tarnel.h"

// placeholder until this area lands
void TForm_Tarnel::setupHelp() {}
void TForm_Tarnel::HelpBtnClick() {}
void TForm_Tarnel::AboutBtnClick() {}
void TForm_Tarnel::Liveupdate1Click() {}
