#include "shell/TForm_Tarnel.h"

// placeholder until this area lands
void TForm_Tarnel::setupOptimize() {}
void TForm_Tarnel::Timer_selfTimer() {}
void TForm_Tarnel::SpeedButton_StartFullClick() {}
void TForm_Tarnel::TrackBar_OverallOptionChange() {}
void TForm_Tarnel::SpeedButton_RunAutoClick() {}
void TForm_Tarnel::Timer_AutoTimer() {}
void TForm_Tarnel::CheckBox_bstopautoClick() {}
void TForm_Tarnel::Button_EmptyClipboardClick() {}
void TForm_Tarnel::SpeedButton_SetVMClick() {}
