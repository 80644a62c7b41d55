#pragma once
#include <QWidget>

class QLabel;
class TImageEx;

// The notice shown while an interactive update check runs. It has no behaviour of its own:
// the check shows it, blocks on the request, and destroys it.
class TShowLiveUpdateForm : public QWidget {
  Q_OBJECT
 public:
  explicit TShowLiveUpdateForm(QWidget* parent = nullptr);

  // Shows the notice centred on the screen and paints it before returning, since the request
  // that follows holds the message loop.
  void ShowAndPaint();

  TImageEx* Image1 = nullptr;
  QLabel* Label1 = nullptr;
};
