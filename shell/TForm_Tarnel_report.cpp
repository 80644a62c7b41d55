#include "shell/TForm_Tarnel.h"

// placeholder until this area lands
void TForm_Tarnel::UpdateProcessReport() {}
