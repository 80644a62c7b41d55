#include "shell/tray_icon_picture.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace nv {
namespace {

// A scalable face whose digits are less than this many pixels high is not legible.
constexpr int kLegibleInkHeight = 7;

// Digits and the gigabyte sign of a 3 x 5 pixel font, one row of three bits per line, top first.
uint16_t PixelGlyph(char c) {
  switch (c) {
    case '0': return 0b111'101'101'101'111;
    case '1': return 0b010'110'010'010'111;
    case '2': return 0b111'001'111'100'111;
    case '3': return 0b111'001'111'001'111;
    case '4': return 0b101'101'111'001'001;
    case '5': return 0b111'100'111'001'111;
    case '6': return 0b111'100'111'101'111;
    case '7': return 0b111'001'001'001'001;
    case '8': return 0b111'101'111'101'111;
    case '9': return 0b111'101'111'001'111;
    case 'G': return 0b011'100'101'101'011;
    default: return 0;  // a blank
  }
}

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// The design's rows and widths are those of a 16-pixel icon.
int Scaled(int designPixels, int pixels) { return (designPixels * pixels + kTrayIconSize / 2) / kTrayIconSize; }

void DrawBar(QPainter& p, const TrayIconBar& bar, int pixels) {
  const int top = Scaled(bar.topRow, pixels);
  const int height = Scaled(bar.topRow + 2, pixels) - top;
  p.fillRect(0, top, pixels, height, ToQColor(kTrayBarBackground));
  if (bar.width > 0) p.fillRect(0, top, Scaled(bar.width, pixels), height, ToQColor(bar.colour));
}

// The largest pixel size of `font` at which `text` fits `width` x `height`; its digits' ink
// height there, 0 when none fits. Every size measured makes a font engine that the font cache
// keeps for the rest of the run, and the icon is drawn on every refresh: so the text is measured
// once at the largest size, and the search starts at the size that scaling it down predicts.
int FitScalable(QFont& font, const QString& text, int width, int height) {
  const int largest = height * 2, smallest = 4;
  const auto inkHeightAt = [&](int size) -> std::optional<int> {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    const QRect ink = metrics.tightBoundingRect(text);
    if (metrics.horizontalAdvance(text) <= width && ink.right() < width && ink.height() <= height) return ink.height();
    return std::nullopt;
  };
  font.setPixelSize(largest);
  const QFontMetrics metrics(font);
  const int advance = std::max(1, metrics.horizontalAdvance(text));
  const int ink = std::max(1, metrics.tightBoundingRect(text).height());
  int size = std::clamp(std::min(largest * width / advance, largest * height / ink), smallest, largest);
  std::optional<int> fit = inkHeightAt(size);
  if (fit) {
    while (size < largest) {
      const std::optional<int> larger = inkHeightAt(size + 1);
      if (!larger) break;
      fit = larger;
      ++size;
    }
    font.setPixelSize(size);
    return *fit;
  }
  while (--size >= smallest)
    if ((fit = inkHeightAt(size))) return *fit;
  return 0;
}

void DrawPixelFont(QPainter& p, const std::string& text, int scale, int top) {
  for (size_t i = 0; i < text.size(); ++i) {
    const uint16_t glyph = PixelGlyph(text[i]);
    for (int row = 0; row < 5; ++row)
      for (int column = 0; column < 3; ++column)
        if (glyph & (1u << (14 - row * 3 - column)))
          p.fillRect(int(i) * 4 * scale + column * scale, top + row * scale, scale, scale, Qt::black);
  }
}

void DrawFigure(QPainter& p, const std::string& figure, int pixels) {
  const int band = Scaled(9, pixels);  // the rows above the CPU bar
  const QString text = QString::fromStdString(figure);
  const int characters = int(figure.size());
  QFont font(QStringLiteral("MS UI Gothic"));
  font.setStyleStrategy(QFont::NoAntialias);
  const int inkHeight = FitScalable(font, text, pixels, band);
  const int pixelScale = std::min(band / 5, (pixels + 1) / (4 * characters));
  if (inkHeight >= kLegibleInkHeight || pixelScale < 1) {
    // The text stands on a white box, as text drawn over an opaque brush does.
    const QFontMetrics metrics(font);
    const QRect ink = metrics.tightBoundingRect(text);
    p.fillRect(0, 0, std::min(metrics.horizontalAdvance(text), pixels), band, Qt::white);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(0, (band - ink.height()) / 2 - ink.top(), text);
    return;
  }
  p.fillRect(0, 0, std::min(characters * 4 * pixelScale, pixels), band, Qt::white);
  DrawPixelFont(p, figure, pixelScale, (band - 5 * pixelScale) / 2);
}

}  // namespace

QImage DrawTrayIconPicture(const QImage& background, const TrayIconFigures& figures, int pixels) {
  QImage picture = background.scaled(pixels, pixels).convertToFormat(QImage::Format_RGB32);
  QPainter p(&picture);
  DrawFigure(p, figures.figure, pixels);
  DrawBar(p, figures.bars.physical, pixels);
  DrawBar(p, figures.bars.pageFile, pixels);
  DrawBar(p, figures.bars.cpu, pixels);
  return picture;
}

QImage WithTransparentTemplate(const QImage& picture) {
  QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = argb.pixel(0, argb.height() - 1);
  for (int y = 0; y < argb.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
  }
  return argb;
}

}  // namespace nv
