#include "shell/TForm_Tarnel.h"

// placeholder until this area lands
void TForm_Tarnel::setupHotKeys() {}
void TForm_Tarnel::ReleaseHotKeys() {}
void TForm_Tarnel::ActivateHotKeys() {}
void TForm_Tarnel::HotKeyEditKeyDown(int, QKeyEvent*) {}
void TForm_Tarnel::HotKeyEditKeyUp(int, QKeyEvent*) {}
void TForm_Tarnel::HotKeyCheckBoxClick(int) {}
void TForm_Tarnel::WMHotKey(uint32_t, uint32_t) {}
