#pragma once
#include <QLineEdit>

// A number field: typed characters are limited to digits, signs and the decimal separator;
// bounds are applied when it loses the focus, except to an empty text, a lone sign or a text
// with the separator, which stay as typed.
class TSpinEdit : public QLineEdit {
  Q_OBJECT
 public:
  TSpinEdit(int min, int max, int initial, QWidget* parent = nullptr);
  // The whole number in the text; throws nv::Error "'%s' is not a valid integer value".
  int Value() const;
  void setValue(int v);
  int minValue() const { return min_; }
  int maxValue() const { return max_; }

 protected:
  void keyPressEvent(QKeyEvent*) override;
  void focusOutEvent(QFocusEvent*) override;

 private:
  int min_, max_;
};
