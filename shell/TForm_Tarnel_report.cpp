#include "shell/TForm_Tarnel.h"
#include "shell/process_report_page.h"

void TForm_Tarnel::UpdateProcessReport() { Report->Update(); }
