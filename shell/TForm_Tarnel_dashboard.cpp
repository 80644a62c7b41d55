#include "shell/TForm_Tarnel.h"

// placeholder until this area lands
void TForm_Tarnel::setupDashboard() {}
void TForm_Tarnel::Button_GetProcessInfoClick() {}
void TForm_Tarnel::Timer_GetProcessInfoTimer() {}
