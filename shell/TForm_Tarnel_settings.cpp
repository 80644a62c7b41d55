#include "shell/TForm_Tarnel.h"

// placeholder until this area lands
void TForm_Tarnel::setupSettings() {}
void TForm_Tarnel::LoadSettings(bool) {}
void TForm_Tarnel::SaveSettings() {}
void TForm_Tarnel::SpeedButton_AppSetClick() {}
void TForm_Tarnel::SpeedButton_SaveSetClick() {}
void TForm_Tarnel::SpeedButton_DefayktClick() {}
void TForm_Tarnel::CheckBox_AutoProcessListClick() {}
