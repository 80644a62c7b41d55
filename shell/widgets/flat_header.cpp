#include "shell/widgets/flat_header.h"

#include <QPainter>

#include <algorithm>

namespace nv {

namespace {

// Around each caption: a pixel of room on every side but two below, then the divider and the rule.
constexpr int kPadding = 1;
constexpr int kBottomPadding = 2;
constexpr int kLine = 1;

}  // namespace

FlatHeader::FlatHeader(Colors colors, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), colors_(colors) {}

QFont FlatHeader::SectionFont(int logicalIndex) const {
  const QVariant font = model() ? model()->headerData(logicalIndex, orientation(), Qt::FontRole) : QVariant();
  return font.isValid() ? qvariant_cast<QFont>(font) : this->font();
}

void FlatHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid() || !model()) return;
  painter->save();
  painter->fillRect(rect, QColor::fromRgb(colors_.field));
  painter->setPen(QColor::fromRgb(colors_.divider));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->setPen(QColor::fromRgb(colors_.rule));
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());

  const QFont font = SectionFont(logicalIndex);
  painter->setFont(font);
  painter->setPen(QColor::fromRgb(colors_.text));
  const QRect text = rect.adjusted(kPadding, kPadding, -(kPadding + kLine), -(kBottomPadding + kLine));
  const QVariant alignment = model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole);
  const int flags = alignment.isValid() ? alignment.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
  const QString caption = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
  painter->drawText(text, flags, QFontMetrics(font).elidedText(caption, Qt::ElideRight, text.width()));
  painter->restore();
}

QSize FlatHeader::sectionSizeFromContents(int logicalIndex) const {
  const QFontMetrics metrics(SectionFont(logicalIndex));
  const QString caption = model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : QString();
  // As tall as a line of the header's own font even where a caption's font is smaller.
  const int height = std::max(metrics.height(), fontMetrics().height());
  return {metrics.horizontalAdvance(caption) + 2 * kPadding + kLine, height + kPadding + kBottomPadding + kLine};
}

}  // namespace nv
