#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <memory>
#include <mutex>

#include "app/front/TopologyLayout.h"
#include "ui/GlyphStrip.h"

class QPainter;

namespace tessaro {

// The persistent picture of the topology view, standing in for the screen.
// A full repaint renders it from the model; a cell redraw draws one text into
// it at once, from either thread; the widget only copies it.  One small lock
// guards it.  Lock order: the engine lock before this one, never the reverse.
class TopologyCanvas {
 public:
  TopologyCanvas();
  TopologyCanvas(const TopologyCanvas&) = delete;
  TopologyCanvas& operator=(const TopologyCanvas&) = delete;

  // New size, cleared to white.  Window thread.
  void Resize(QSize size);

  // Renders the model: the whole view with `whole`, else only the topology
  // right of the separator's first line.  The caller holds the engine lock.
  // Returns the area that changed.
  QRect Render(const TopologyModel& model, bool whole);

  // Draws `text` at (x, y) in the view font over a white background as wide
  // as the text (the cell's old text of the same length disappears).  Any
  // thread; the caller holds the engine lock.  Returns the area touched.
  QRect DrawCell(int x, int y, const char* text, int colourClass);

  // Copies `area` of the canvas to the painter, rectangle by rectangle.
  void CopyTo(QPainter& painter, const QRegion& area);

  QImage Snapshot() const;
  QSize Size() const;

  // Width of one character of the view font.
  int CharWidth() const { return charWidth_; }

  static QColor ColourOf(TextColour colour);

  // Whether cell redraws set the glyph strip's pixels (the face draws the
  // same through it) rather than laying out text.
  bool DrawsFromGlyphStrip() const { return strip_ != nullptr; }

 private:
  friend class CanvasPainter;

  mutable std::mutex mutex_;
  QImage image_;
  QImage pictures_[3];
  QFont viewFont_;
  QFont systemFont_;
  int charWidth_ = 6;
  // Pixels the view font's text moves right in its box: 1 for a face whose
  // glyphs start on the cell's first column, as its neighbours' ink would.
  int viewInset_ = 0;
  // Null when the strip would draw the view font differently from the painter.
  std::unique_ptr<GlyphStrip> strip_;
};

// The fixed-pitch view font ("Elite" where installed, else the narrow pixel
// face of the same 6-pixel advance, else a fixed-pitch face squeezed to it)
// and the bold face of the numbers.
QFont MakeViewFont();
QFont MakeSystemFont();

}  // namespace tessaro
