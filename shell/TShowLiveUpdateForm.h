#pragma once
#include <QWidget>

class QLabel;
class TImageEx;

// The notice shown while an interactive update check runs. It has no behaviour of its own:
// the check shows it and destroys it when the answer has come.
class TShowLiveUpdateForm : public QWidget {
  Q_OBJECT
 public:
  explicit TShowLiveUpdateForm(QWidget* parent = nullptr);

  // Shows the notice centred on the screen.
  void ShowCentred();

  TImageEx* Image1 = nullptr;
  QLabel* Label1 = nullptr;
};
