#include "tools/make_pictures/painting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace nv::pictures {
namespace {

const QColor kNavy(10, 31, 61);
const QColor kDeepBlue(16, 58, 98);
const QColor kTeal(14, 118, 128);
const QColor kBrightTeal(38, 196, 182);
const QColor kPage(255, 255, 255);
const QString kFont = QStringLiteral("DejaVu Sans");

QFont Font(int pixels, bool bold = true) {
  QFont f(kFont);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// A picture of w x h pixels in the window, drawn at `scale` device pixels to each of them: a
// painter on it works in the window's pixels.
QImage Canvas(int w, int h, QColor fill, double scale) {
  QImage image(qRound(w * scale), qRound(h * scale), QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  image.fill(fill);
  return image;
}

void Antialias(QPainter& p) { p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing); }

// The dark-blue to teal sweep shared by the title, the bottom strip and the banners.
void PaintBrandGradient(QPainter& p, const QRect& r, int fullWidth) {
  QLinearGradient sweep(0, 0, fullWidth, 0);
  sweep.setColorAt(0.0, kNavy);
  sweep.setColorAt(0.55, kDeepBlue);
  sweep.setColorAt(1.0, kTeal);
  p.fillRect(r, sweep);
  QLinearGradient gloss(0, r.top(), 0, r.bottom());
  gloss.setColorAt(0.0, QColor(255, 255, 255, 46));
  gloss.setColorAt(0.5, QColor(255, 255, 255, 10));
  gloss.setColorAt(0.51, QColor(0, 0, 0, 0));
  gloss.setColorAt(1.0, QColor(0, 0, 0, 40));
  p.fillRect(r, gloss);
}

// Soft light curves across the title, the product's signature.
void PaintWaves(QPainter& p, int w, int h) {
  for (int i = 0; i < 4; ++i) {
    QPainterPath wave;
    const double y = h * (0.55 + 0.1 * i);
    wave.moveTo(0, y + 20);
    wave.cubicTo(w * 0.3, y - 35 + 8 * i, w * 0.6, y + 30, w, y - 25 + 6 * i);
    p.setPen(QPen(QColor(120, 230, 220, 28 - 5 * i), 2.0 + i));
    p.drawPath(wave);
  }
}

// The product mark: a teal disc holding a white memory chip. An outlined letter is a path, for
// pictures that are drawn again elsewhere (a scalable icon) where the font may be missing.
void PaintLogo(QPainter& p, QPointF centre, double radius, bool outlinedLetter = false) {
  QRadialGradient disc(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.6);
  disc.setColorAt(0.0, QColor(120, 240, 225));
  disc.setColorAt(0.45, kBrightTeal);
  disc.setColorAt(1.0, QColor(8, 92, 120));
  p.setPen(QPen(QColor(255, 255, 255, 150), radius / 14));
  p.setBrush(disc);
  p.drawEllipse(centre, radius, radius);

  const double s = radius * 0.95;
  const QRectF chip(centre.x() - s / 2, centre.y() - s / 2, s, s);
  p.setPen(QPen(Qt::white, radius / 12, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 3; ++i) {
    const double t = chip.left() + s * (0.25 + 0.25 * i);
    const double u = chip.top() + s * (0.25 + 0.25 * i);
    p.drawLine(QPointF(t, chip.top() - s * 0.16), QPointF(t, chip.top()));
    p.drawLine(QPointF(t, chip.bottom()), QPointF(t, chip.bottom() + s * 0.16));
    p.drawLine(QPointF(chip.left() - s * 0.16, u), QPointF(chip.left(), u));
    p.drawLine(QPointF(chip.right(), u), QPointF(chip.right() + s * 0.16, u));
  }
  p.setBrush(Qt::white);
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(chip, s * 0.12, s * 0.12);
  const QColor ink(12, 84, 110);
  const QFont f = Font(int(s * 0.72));
  if (!outlinedLetter) {
    p.setPen(ink);
    p.setFont(f);
    p.drawText(chip, Qt::AlignCenter, QStringLiteral("N"));
    return;
  }
  QPainterPath letter;
  letter.addText(0, 0, f, QStringLiteral("N"));
  letter.translate(chip.center() - letter.boundingRect().center());
  p.fillPath(letter, ink);
}

QImage Title(double scale) {
  QImage image = Canvas(710, 92, kNavy, scale);
  QPainter p(&image);
  Antialias(p);
  PaintBrandGradient(p, image.rect(), 710);
  PaintWaves(p, 710, 92);
  PaintLogo(p, QPointF(42, 40), 24);
  p.setPen(QColor(0, 0, 0, 90));
  p.setFont(Font(25));
  p.drawText(QPoint(79, 40), QStringLiteral("Velqor Norvane"));
  p.setPen(Qt::white);
  p.drawText(QPoint(78, 39), QStringLiteral("Velqor Norvane"));
  p.setPen(QColor(150, 230, 225));
  p.setFont(Font(12, false));
  p.drawText(QPoint(80, 60), QStringLiteral("Memory Optimizer"));
  // A faint floor line on which the tabs stand.
  p.setPen(QColor(255, 255, 255, 60));
  p.drawLine(0, 91, 709, 91);
  return image;
}

QImage Bottom(double scale) {
  QImage image = Canvas(710, 35, kNavy, scale);
  QPainter p(&image);
  Antialias(p);
  PaintBrandGradient(p, image.rect(), 710);
  p.setPen(QColor(38, 196, 182, 160));
  p.drawLine(0, 0, 709, 0);
  p.setPen(QColor(255, 255, 255, 55));
  p.drawLine(72, 15, 72, 27);
  p.setPen(QColor(190, 225, 235));
  p.setFont(Font(11, false));
  p.drawText(QRect(400, 10, 290, 20), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Velqor Norvane 2010.1.2"));
  return image;
}

QImage Border(bool left, double scale) {
  QImage image = Canvas(12, 419, kPage, scale);
  QPainter p(&image);
  const QColor outer = left ? kNavy : kTeal;
  QLinearGradient side(left ? 0 : 12, 0, left ? 12 : 0, 0);
  side.setColorAt(0.0, outer);
  side.setColorAt(0.8, outer.lighter(150));
  side.setColorAt(1.0, QColor(200, 230, 235));
  p.fillRect(image.rect(), side);
  return image;
}

// The rounded top of a tab over the strip of title it stands on.
QImage Tab(const QImage& title, int x, const QString& caption, bool selected) {
  const double scale = title.devicePixelRatio();
  QImage image = title.copy(QRectF(x * scale, 52 * scale, 140 * scale, 40 * scale).toRect());
  image.setDevicePixelRatio(scale);
  QPainter p(&image);
  Antialias(p);
  QPainterPath shape;
  shape.moveTo(2, 40);
  shape.lineTo(2, 12);
  shape.quadTo(2, 4, 10, 4);
  shape.lineTo(130, 4);
  shape.quadTo(138, 4, 138, 12);
  shape.lineTo(138, 40);
  shape.closeSubpath();
  QLinearGradient fill(0, 4, 0, 40);
  if (selected) {
    fill.setColorAt(0.0, QColor(255, 255, 255));
    fill.setColorAt(1.0, QColor(236, 247, 248));
    p.setPen(QPen(QColor(140, 235, 225), 1.2));
  } else {
    fill.setColorAt(0.0, QColor(44, 98, 140));
    fill.setColorAt(1.0, QColor(18, 52, 86));
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
  }
  p.setBrush(fill);
  p.drawPath(shape);
  if (selected) {
    p.setPen(QPen(kBrightTeal, 3));
    p.drawLine(QPointF(12, 5.5), QPointF(128, 5.5));
  }
  p.setFont(Font(12));
  p.setPen(selected ? kNavy : QColor(205, 230, 240));
  p.drawText(QRect(0, 6, 140, 34), Qt::AlignCenter, caption);
  return image;
}

struct Colours {
  QColor top, bottom;
};

// A glossy rounded button with its caption, on the white page.
QImage Button(double scale, int w, int h, const QString& caption, Colours c, int fontPixels, QChar symbol = QChar()) {
  QImage image = Canvas(w, h, kPage, scale);
  QPainter p(&image);
  Antialias(p);
  const QRectF body(0.5, 0.5, w - 1.0, h - 1.0);
  const double radius = h / 4.0;
  QLinearGradient fill(0, 0, 0, h);
  fill.setColorAt(0.0, c.top);
  fill.setColorAt(1.0, c.bottom);
  p.setPen(QPen(c.bottom.darker(130), 1));
  p.setBrush(fill);
  p.drawRoundedRect(body, radius, radius);
  QLinearGradient gloss(0, 0, 0, h / 2.0);
  gloss.setColorAt(0.0, QColor(255, 255, 255, 120));
  gloss.setColorAt(1.0, QColor(255, 255, 255, 25));
  p.setPen(Qt::NoPen);
  p.setBrush(gloss);
  p.drawRoundedRect(QRectF(2, 1.5, w - 4.0, h / 2.0 - 1), radius - 1, radius - 1);

  QFont f = Font(fontPixels);
  p.setFont(f);
  const QFontMetrics metrics(f);
  const int symbolWidth = symbol.isNull() ? 0 : fontPixels + 8;
  const int textWidth = metrics.horizontalAdvance(caption);
  const int left = (w - textWidth - symbolWidth) / 2;
  if (!symbol.isNull()) {
    const QRectF mark(left, (h - fontPixels) / 2.0, fontPixels, fontPixels);
    p.setBrush(Qt::white);
    if (symbol == u'>') {
      QPolygonF play;
      play << mark.topLeft() + QPointF(2, 0) << QPointF(mark.right(), mark.center().y()) << mark.bottomLeft() + QPointF(2, 0);
      p.drawPolygon(play);
    } else {
      p.drawRoundedRect(mark.adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    }
  }
  const QRect textBox(left + symbolWidth, 0, textWidth + 2, h);
  p.setPen(QColor(0, 0, 0, 80));
  p.drawText(textBox.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, caption);
  p.setPen(c.top.lightness() > 190 ? QColor(30, 40, 50) : Qt::white);
  p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, caption);
  return image;
}

Colours Lighter(Colours c) { return {c.top.lighter(135), c.bottom.lighter(145)}; }

QImage About(double scale) {
  QImage image = Canvas(493, 350, kPage, scale);
  QPainter p(&image);
  Antialias(p);
  PaintBrandGradient(p, QRect(0, 0, 493, 205), 493);
  PaintWaves(p, 493, 205);
  PaintLogo(p, QPointF(82, 92), 46);
  p.setFont(Font(31));
  p.setPen(Qt::white);
  p.drawText(QPoint(150, 92), QStringLiteral("Velqor Norvane"));
  p.setFont(Font(14, false));
  p.setPen(QColor(160, 235, 228));
  p.drawText(QPoint(152, 118), QStringLiteral("Memory Optimizer"));
  p.setPen(QColor(215, 232, 240));
  p.setFont(Font(11, false));
  p.drawText(QPoint(152, 150), QStringLiteral("Frees physical memory, watches CPU and paging file,"));
  p.drawText(QPoint(152, 166), QStringLiteral("and keeps your desktop quick."));
  QLinearGradient foot(0, 205, 0, 350);
  foot.setColorAt(0.0, QColor(246, 251, 252));
  foot.setColorAt(1.0, QColor(226, 238, 242));
  p.fillRect(QRect(0, 205, 493, 145), foot);
  p.setPen(QPen(kBrightTeal, 3));
  p.drawLine(0, 206, 493, 206);
  p.setPen(QColor(120, 140, 150));
  p.setFont(Font(10, false));
  p.drawText(QRect(0, 322, 480, 20), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("\u00a9 Velqor Software"));
  return image;
}

QImage LiveUpdate(double scale) {
  QImage image = Canvas(350, 80, kNavy, scale);
  QPainter p(&image);
  Antialias(p);
  PaintBrandGradient(p, image.rect(), 350);
  PaintWaves(p, 350, 80);
  PaintLogo(p, QPointF(40, 40), 24);
  p.setPen(Qt::white);
  p.setFont(Font(19));
  p.drawText(QPoint(76, 36), QStringLiteral("Live Update"));
  p.setPen(QColor(160, 235, 228));
  p.setFont(Font(11, false));
  p.drawText(QPoint(77, 56), QStringLiteral("Velqor Norvane checks for a newer version"));
  return image;
}

// The mark drawn on the 16-pixel grid: scaled down, the chip's pins and letter blur into a grey
// blot. Here the chip fills half the disc, two pins a side stand one pixel out, and the letter
// is set pixel by pixel in one-pixel strokes.
QImage SmallProgramIcon() {
  QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  Antialias(p);
  QRadialGradient disc(QPointF(6, 5), 12);
  disc.setColorAt(0.0, QColor(90, 225, 210));
  disc.setColorAt(1.0, QColor(8, 110, 130));
  p.setPen(Qt::NoPen);
  p.setBrush(disc);
  p.drawEllipse(QRectF(0, 0, 16, 16));
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(4, 4, 8, 8, Qt::white);
  for (int at : {6, 9}) {
    p.fillRect(at, 2, 1, 2, Qt::white);
    p.fillRect(at, 12, 1, 2, Qt::white);
    p.fillRect(2, at, 2, 1, Qt::white);
    p.fillRect(12, at, 2, 1, Qt::white);
  }
  const QColor ink(12, 84, 110);
  p.fillRect(5, 5, 1, 6, ink);
  p.fillRect(10, 5, 1, 6, ink);
  for (int step = 0; step < 4; ++step) p.fillRect(6 + step, 6 + step, 1, 1, ink);
  return image;
}

}  // namespace

void PaintProgramIcon(QPainter& p, double size, bool outlinedLetter) {
  Antialias(p);
  PaintLogo(p, QPointF(size / 2, size / 2), size * 29 / 64, outlinedLetter);
}

QImage ProgramIcon(int size) {
  if (size == 16) return SmallProgramIcon();
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  PaintProgramIcon(p, size, false);
  return image;
}

std::vector<Picture> AllPictures(double scale) {
  const QImage title = Title(scale);
  std::vector<Picture> all{{QStringLiteral("Title"), title},
                           {QStringLiteral("Bottom"), Bottom(scale)},
                           {QStringLiteral("BorderLeft"), Border(true, scale)},
                           {QStringLiteral("BorderRight"), Border(false, scale)}};

  const struct {
    QString name;
    int x;
    QString caption;
  } tabs[] = {{QStringLiteral("SpeedButton_UsageGraph"), 247, QStringLiteral("System Overview")},
              {QStringLiteral("SpeedButton_full"), 396, QStringLiteral("Optimization")},
              {QStringLiteral("SpeedButton_Set"), 544, QStringLiteral("Settings")}};
  for (const auto& t : tabs) {
    all.push_back({t.name, Tab(title, t.x, t.caption, true)});
    all.push_back({t.name + u'1', Tab(title, t.x, t.caption, false)});
  }

  // Each button: its normal picture carries the suffix, its lighter hover picture none.
  const Colours start{QColor(26, 160, 132), QColor(9, 100, 84)};
  const Colours stop{QColor(222, 96, 52), QColor(160, 48, 20)};
  const Colours blue{QColor(48, 120, 186), QColor(20, 70, 124)};
  const Colours teal{QColor(26, 120, 150), QColor(12, 66, 98)};
  all.push_back({QStringLiteral("SpeedButton_RunAuto1"), Button(scale, 262, 39, QStringLiteral("Start Auto Optimize"), start, 15, u'>')});
  all.push_back({QStringLiteral("SpeedButton_RunAuto"), Button(scale, 262, 39, QStringLiteral("Start Auto Optimize"), Lighter(start), 15, u'>')});
  all.push_back({QStringLiteral("SpeedButton_RunAuto3"), Button(scale, 262, 39, QStringLiteral("Stop Auto Optimize"), stop, 15, u'#')});
  all.push_back({QStringLiteral("SpeedButton_RunAuto2"), Button(scale, 262, 39, QStringLiteral("Stop Auto Optimize"), Lighter(stop), 15, u'#')});
  const struct {
    QString name;
    int w, h, font;
    QString caption;
    Colours colours;
  } buttons[] = {
      {QStringLiteral("SpeedButton_StartFull"), 125, 23, 11, QStringLiteral("Overall Optimize"), blue},
      {QStringLiteral("Button_EmptyClipboard"), 125, 23, 11, QStringLiteral("Clean Clipboard"), blue},
      {QStringLiteral("SpeedButton_SetVM"), 179, 31, 13, QStringLiteral("Auto Manage VM"), teal},
      {QStringLiteral("SpeedButton_Defaykt"), 179, 31, 13, QStringLiteral("Default"), teal},
      {QStringLiteral("SpeedButton_SaveSet"), 179, 31, 13, QStringLiteral("Save Settings"), teal},
  };
  for (const auto& b : buttons) {
    all.push_back({b.name + u'1', Button(scale, b.w, b.h, b.caption, b.colours, b.font)});
    all.push_back({b.name, Button(scale, b.w, b.h, b.caption, Lighter(b.colours), b.font)});
  }

  const Colours grey{QColor(226, 230, 234), QColor(176, 184, 192)};
  all.push_back({QStringLiteral("OK"), Button(scale, 95, 25, QStringLiteral("OK"), grey, 12)});
  all.push_back({QStringLiteral("OK1"), Button(scale, 95, 25, QStringLiteral("OK"), {QColor(250, 251, 252), QColor(214, 220, 226)}, 12)});
  all.push_back({QStringLiteral("About"), About(scale)});
  all.push_back({QStringLiteral("LiveUpdate"), LiveUpdate(scale)});
  return all;
}

}  // namespace nv::pictures
