#include "shell/TForm_Tarnel.h"

// placeholder until this area lands
void TForm_Tarnel::setupTray() {}
void TForm_Tarnel::AddTrayIcon() {}
void TForm_Tarnel::UpdateTrayIcon() {}
void TForm_Tarnel::RemoveTrayIcon() {}
void TForm_Tarnel::OpenMainWindow1Click() {}
void TForm_Tarnel::Exit1Click() {}
