#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRgb>
#include <array>
#include <vector>

namespace tessaro {

// The view font's printable ASCII characters rasterised once, as the pixels
// each one inks, so that a cell redraw sets pixels instead of laying out text.
// It stands for QPainter::drawText of a fixed-pitch face without
// antialiasing; the canvas checks that it draws exactly what the painter
// draws before it uses it.
class GlyphStrip {
 public:
  // `advance`: the face's whole-pixel advance; text starts `inset` pixels
  // right of its box, boxes are `boxHeight` high.
  GlyphStrip(const QFont& font, int advance, int inset, int boxHeight);

  // Draws `text` as DrawCell does: `background` filled white, then the text
  // from the left edge of `clip` plus the inset, all within `clip` and the
  // image.  False (nothing drawn) when a character has no glyph here.
  bool Draw(QImage& image, const QRect& clip, const QRect& background, const char* text, int length,
            QRgb colour) const;

 private:
  static constexpr int kFirst = 0x20;
  static constexpr int kLast = 0x7E;
  struct Ink {
    short dx;
    short dy;
  };

  int advance_;
  int inset_;
  std::array<std::vector<Ink>, kLast - kFirst + 1> glyphs_;
};

}  // namespace tessaro
