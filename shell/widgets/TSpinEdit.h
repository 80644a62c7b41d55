#pragma once
#include <QLineEdit>
#include <optional>

class QToolButton;

// A number field: typed characters are limited to digits, signs and the decimal separator;
// bounds are applied when it loses the focus, except to an empty text, a lone sign or a text
// with the separator, which stay as typed. The arrows and the Up/Down keys step within bounds.
class TSpinEdit : public QLineEdit {
  Q_OBJECT
 public:
  TSpinEdit(int min, int max, int initial, QWidget* parent = nullptr);
  // The whole number in the text; throws nv::Error "'%s' is not a valid integer value".
  int Value() const;
  // The whole number in the text, or nothing while the text spells none (empty, a lone sign).
  std::optional<int> WholeValue() const;
  // Shows the number as it is, without applying the bounds (stored settings load this way).
  void setValue(int v);
  int minValue() const { return min_; }
  int maxValue() const { return max_; }

 protected:
  void keyPressEvent(QKeyEvent*) override;
  void focusOutEvent(QFocusEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void step(int delta);
  int min_, max_;
  QToolButton* up_ = nullptr;
  QToolButton* down_ = nullptr;
};
