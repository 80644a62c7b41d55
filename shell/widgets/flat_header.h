#pragma once
#include <QHeaderView>
#include <QRgb>

namespace nv {

// A column header drawn flat: a light field, a thin divider right of each caption and a coloured
// rule under the captions, each caption in the font and alignment its header item gives, and the
// row as tall as a line of the header's own font.
class FlatHeader : public QHeaderView {
 public:
  struct Colors {
    QRgb field, text, divider, rule;
  };
  FlatHeader(Colors colors, QWidget* parent);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  QSize sectionSizeFromContents(int logicalIndex) const override;

 private:
  QFont SectionFont(int logicalIndex) const;

  Colors colors_;
};

}  // namespace nv
