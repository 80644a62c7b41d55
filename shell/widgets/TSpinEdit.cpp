#include "shell/widgets/TSpinEdit.h"

#include <QKeyEvent>
#include <QLocale>
#include <QToolButton>
#include <algorithm>
#include <optional>

#include "platform/error.h"

namespace {
constexpr int kArrowWidth = 15;

// The whole number a text spells: an optional sign and decimal digits, within 32 bits.
std::optional<int> WholeNumber(const QString& text) {
  // Checked by hand: a regular expression would load and compile PCRE2 for the life of the
  // program (about half a megabyte resident) for this one test.
  const qsizetype first = text.startsWith(u'+') || text.startsWith(u'-') ? 1 : 0;
  if (text.size() == first) return std::nullopt;
  for (qsizetype i = first; i < text.size(); ++i)
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
  bool ok = false;
  const qlonglong v = text.toLongLong(&ok);
  if (!ok || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return int(v);
}

bool IsNumberCharacter(QChar c) {
  return c.isDigit() || c == u'+' || c == u'-' || c == QLocale().decimalPoint().front();
}
}  // namespace

TSpinEdit::TSpinEdit(int min, int max, int initial, QWidget* parent) : QLineEdit(parent), min_(min), max_(max) {
  setText(QString::number(initial));
  up_ = new QToolButton(this);
  down_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setCursor(Qt::ArrowCursor);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(true);
  }
  connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
  setTextMargins(0, 0, kArrowWidth, 0);
}

std::optional<int> TSpinEdit::WholeValue() const { return WholeNumber(text()); }

int TSpinEdit::Value() const {
  if (auto v = WholeValue()) return *v;
  throw nv::Error(nv::FormatText("'%s' is not a valid integer value", text().toStdString()));
}

void TSpinEdit::setValue(int v) { setText(QString::number(v)); }

// A text that is no whole number steps from the lower bound.
void TSpinEdit::step(int delta) {
  if (isReadOnly() || !isEnabled()) return;
  const int64_t from = WholeNumber(text()).value_or(min_);
  setValue(int(std::clamp<int64_t>(from + delta, min_, std::max(min_, max_))));
  selectAll();
}

void TSpinEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
    step(e->key() == Qt::Key_Up ? +1 : -1);
    return;
  }
  const QString typed = e->text();
  const bool printable = !typed.isEmpty() && typed.front().isPrint();
  if (printable && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
      !std::all_of(typed.begin(), typed.end(), IsNumberCharacter)) {
    e->ignore();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void TSpinEdit::focusOutEvent(QFocusEvent* e) {
  if (auto v = WholeNumber(text()); v && max_ > min_ && (*v < min_ || *v > max_)) setValue(std::clamp(*v, min_, max_));
  QLineEdit::focusOutEvent(e);
}

void TSpinEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  const int half = height() / 2;
  up_->setGeometry(width() - kArrowWidth - 1, 1, kArrowWidth, half - 1);
  down_->setGeometry(width() - kArrowWidth - 1, half, kArrowWidth, height() - half - 1);
}
