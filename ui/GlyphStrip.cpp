#include "ui/GlyphStrip.h"

#include <QPainter>
#include <QString>
#include <algorithm>

namespace tessaro {

GlyphStrip::GlyphStrip(const QFont& font, int advance, int inset, int boxHeight)
    : advance_(advance), inset_(inset) {
  // Room for ink that reaches a whole advance beyond either side of the cell.
  const int pad = advance;
  QImage cell(pad + advance + pad, boxHeight, QImage::Format_ARGB32_Premultiplied);
  for (int c = kFirst; c <= kLast; ++c) {
    cell.fill(Qt::transparent);
    {
      QPainter painter(&cell);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(QRect(pad, 0, cell.width() - pad, boxHeight),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                       QString(QLatin1Char(static_cast<char>(c))));
    }
    std::vector<Ink>& ink = glyphs_[static_cast<std::size_t>(c - kFirst)];
    for (int y = 0; y < cell.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
      for (int x = 0; x < cell.width(); ++x) {
        if (qAlpha(row[x]) != 0) {
          ink.push_back({static_cast<short>(x - pad), static_cast<short>(y)});
        }
      }
    }
  }
}

bool GlyphStrip::Draw(QImage& image, const QRect& clip, const QRect& background, const char* text,
                      int length, QRgb colour) const {
  for (int i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < kFirst || c > kLast) return false;
  }
  const QRect visible = clip.intersected(image.rect());
  const QRect fill = background.intersected(visible);
  const QRgb white = qRgb(0xFF, 0xFF, 0xFF);
  for (int y = fill.top(); y <= fill.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(row + fill.left(), row + fill.right() + 1, white);
  }
  // The painter clips text to its rectangle too, which starts at the inset.
  const QRect inkArea = visible.intersected(clip.translated(inset_, 0));
  uchar* bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  const int top = clip.top();
  for (int i = 0; i < length; ++i) {
    const int left = clip.left() + inset_ + i * advance_;
    for (const Ink& ink : glyphs_[static_cast<std::size_t>(text[i] - kFirst)]) {
      const int x = left + ink.dx;
      const int y = top + ink.dy;
      if (inkArea.contains(x, y)) reinterpret_cast<QRgb*>(bits + y * stride)[x] = colour;
    }
  }
  return true;
}

}  // namespace tessaro
