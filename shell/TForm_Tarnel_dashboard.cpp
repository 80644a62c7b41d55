#include <QTimer>

#include "shell/TForm_Tarnel.h"
#include "shell/dashboard_page.h"
#include "shell/process_report_page.h"
#include "shell/widgets/TNotebook.h"

void TForm_Tarnel::setupDashboard() {
  Dashboard = std::make_unique<nv::DashboardPage>(*this);
  connect(Notebook1, &TNotebook::currentChanged, this, [this] { Report->CatchUp(); });
  connect(Timer_GetProcessInfo, &QTimer::timeout, this, [this] { Timer_GetProcessInfoTimer(); });
}

void TForm_Tarnel::Button_GetProcessInfoClick() { Dashboard->Refresh(); }

void TForm_Tarnel::Timer_GetProcessInfoTimer() { Button_GetProcessInfoClick(); }
