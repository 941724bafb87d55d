#include "ui/TopologyCanvas.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QStringList>

#include "app/front/ViewLook.h"

namespace tessaro {

namespace {

using look::kSystemFontPixels;
using look::kViewCharWidth;
using look::kViewFontPixels;
// The narrow pixel face's size whose advance is the view font's cell width.
constexpr int kNarrowFontPixels = 12;
// The numbers on the pictures: two bold digits in a 16-pixel box.
constexpr int kSystemCharWidth = 8;

// Narrows a face whose characters are wider than `width` pixels.
void SqueezeTo(QFont& font, int width) {
  const int advance = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
  if (advance > width) font.setStretch(width * 100 / advance);
}

// A cell text as the painter draws it: `background` filled white, the text
// from the left edge of `clip` plus `inset`, all within `clip`.
void PaintCellText(QImage& image, const QRect& clip, const QRect& background, const QFont& font,
                   int inset, const char* text, int length, const QColor& colour) {
  QPainter painter(&image);
  painter.setClipRect(clip);
  painter.fillRect(background, Qt::white);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(clip.translated(inset, 0), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromLatin1(text, length));
}

// The box and the background of a cell text at (x, y).
QRect CellClip(int x, int y, int length) {
  const TextBox box = TextBoxAt(x, y, length);
  return QRect(box.left, box.top, box.right - box.left, box.bottom - box.top);
}
QRect CellBackground(int x, int y, int length, int charWidth) {
  const TextBox b = look::CellBackground(x, y, length, charWidth);
  return QRect(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

// Whether `strip` draws every printable character, and the counter texts, as
// the painter does with `font`.
bool DrawsAsThePainter(const GlyphStrip& strip, const QFont& font, int inset, int charWidth) {
  QString all;
  for (int c = 0x20; c <= 0x7E; ++c) all += QLatin1Char(static_cast<char>(c));
  const QByteArray every = all.toLatin1();
  const char* samples[] = {every.constData(), "SD:00000", "OK:12345", "TM:-0001",
                           "AV:99999",        "NG:67890", "CH:1"};
  for (const char* text : samples) {
    const int length = static_cast<int>(qstrlen(text));
    const QRect clip = CellClip(3, 2, length);
    const QRect background = CellBackground(3, 2, length, charWidth);
    QImage painted(clip.right() + 9, clip.bottom() + 3, QImage::Format_RGB32);
    painted.fill(Qt::green);
    QImage stripped = painted.copy();
    PaintCellText(painted, clip, background, font, inset, text, length, Qt::red);
    if (!strip.Draw(stripped, clip, background, text, length, QColor(Qt::red).rgb())) return false;
    if (painted != stripped) return false;
  }
  return true;
}

QImage LoadPicture(const char* path) {
  QImage image(QString::fromLatin1(path));
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QFont MakeViewFont() {
  QFont font;
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setWeight(QFont::Normal);
  // Plain pixels in the four text colours, as the picture's palette has.
  font.setStyleStrategy(QFont::NoAntialias);
  font.setFamilies({QString::fromLatin1(look::kViewFace)});
  font.setPixelSize(kViewFontPixels);
  if (QFontInfo(font).family() == QLatin1String(look::kViewFace)) return font;
  // A face drawn on a 6 x 12 pixel grid: every capital stays apart at the
  // cell's advance, where a squeezed face merges them.
  font.setFamilies({QStringLiteral("Terminus (TTF)")});
  font.setPixelSize(kNarrowFontPixels);
  if (QFontInfo(font).family() == QLatin1String("Terminus (TTF)") &&
      QFontMetrics(font).horizontalAdvance(QLatin1Char('0')) == kViewCharWidth) {
    return font;
  }
  font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                    QStringLiteral("monospace")});
  font.setPixelSize(kViewFontPixels);
  SqueezeTo(font, kViewCharWidth);
  return font;
}

QFont MakeSystemFont() {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("sans-serif")});
  font.setPixelSize(kSystemFontPixels);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  SqueezeTo(font, kSystemCharWidth);
  return font;
}

QColor TopologyCanvas::ColourOf(TextColour colour) {
  const look::Rgb rgb = look::RgbOf(colour);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

// Carries out a repaint's drawing on the canvas image.
class CanvasPainter final : public PaintSink {
 public:
  CanvasPainter(TopologyCanvas& canvas, QPainter& painter) : canvas_(canvas), painter_(painter) {}

  void DrawPicture(Picture picture, int x, int y) override {
    painter_.drawImage(x, y, canvas_.pictures_[static_cast<int>(picture)]);
  }
  void DrawVerticalLine(int x, int top, int bottom) override {
    painter_.setPen(Qt::black);
    painter_.drawLine(x, top, x, bottom - 1);
  }
  void DrawText(const TextBox& box, const char* text, int length, TextFace face,
                TextColour colour) override {
    const bool view = face == TextFace::View;
    painter_.setFont(view ? canvas_.viewFont_ : canvas_.systemFont_);
    painter_.setPen(TopologyCanvas::ColourOf(colour));
    const QRect rect(box.left, box.top, box.right - box.left, box.bottom - box.top);
    painter_.save();
    painter_.setClipRect(rect, Qt::IntersectClip);
    painter_.drawText(rect.translated(view ? canvas_.viewInset_ : 0, 0),
                      Qt::AlignLeft | Qt::AlignTop, QString::fromLatin1(text, length));
    painter_.restore();
  }

 private:
  TopologyCanvas& canvas_;
  QPainter& painter_;
};

TopologyCanvas::TopologyCanvas()
    : image_(1, 1, QImage::Format_RGB32),
      pictures_{LoadPicture(":/pictures/host.xpm"), LoadPicture(":/pictures/base.xpm"),
                LoadPicture(":/pictures/terminal.xpm")},
      viewFont_(MakeViewFont()),
      systemFont_(MakeSystemFont()) {
  image_.fill(Qt::white);
  const QFontMetrics metrics(viewFont_);
  charWidth_ = metrics.horizontalAdvance(QLatin1Char('0'));
  // A pixel face inks its cell's first column; a text box that starts on a
  // picture's last column would cover it.
  viewInset_ = metrics.leftBearing(QLatin1Char('H')) < 1 ? 1 : 0;
  auto strip = std::make_unique<GlyphStrip>(viewFont_, charWidth_, viewInset_, layout::kCy);
  if (DrawsAsThePainter(*strip, viewFont_, viewInset_, charWidth_)) strip_ = std::move(strip);
}

void TopologyCanvas::Resize(QSize size) {
  std::scoped_lock lock(mutex_);
  if (size.width() < 1) size.setWidth(1);
  if (size.height() < 1) size.setHeight(1);
  if (image_.size() == size) return;
  image_ = QImage(size, QImage::Format_RGB32);
  image_.fill(Qt::white);
}

QRect TopologyCanvas::Render(const TopologyModel& model, bool whole) {
  std::scoped_lock lock(mutex_);
  QRect area = image_.rect();
  if (!whole) area.setLeft(layout::kTopologyLeft);
  QPainter painter(&image_);
  painter.setClipRect(area);
  painter.fillRect(area, Qt::white);
  CanvasPainter sink(*this, painter);
  PaintTopology(model, image_.height(), sink);
  return area;
}

QRect TopologyCanvas::DrawCell(int x, int y, const char* text, int colourClass) {
  const int length = static_cast<int>(qstrlen(text));
  const QRect clip = CellClip(x, y, length);
  const QRect background = CellBackground(x, y, length, charWidth_);
  const QColor colour = ColourOf(ColourOfClass(colourClass));
  std::scoped_lock lock(mutex_);
  if (strip_ == nullptr || !strip_->Draw(image_, clip, background, text, length, colour.rgb())) {
    PaintCellText(image_, clip, background, viewFont_, viewInset_, text, length, colour);
  }
  return clip.intersected(image_.rect());
}

void TopologyCanvas::CopyTo(QPainter& painter, const QRegion& area) {
  std::scoped_lock lock(mutex_);
  for (const QRect& rect : area) painter.drawImage(rect.topLeft(), image_, rect);
}

QImage TopologyCanvas::Snapshot() const {
  std::scoped_lock lock(mutex_);
  return image_.copy();
}

QSize TopologyCanvas::Size() const {
  std::scoped_lock lock(mutex_);
  return image_.size();
}

}  // namespace tessaro
