#pragma once

#include <windows.h>

#include <mutex>

#include "app/front/TopologyLayout.h"

namespace tessaro {

// The persistent picture of the topology view: a DIB section selected into a
// memory DC.  A full repaint renders it from the model; a cell redraw draws
// one text into it at once, from either thread; WM_PAINT only copies it.  One
// small lock guards it.  Lock order: the engine lock before this one.
class Canvas {
 public:
  Canvas();
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // New size, cleared to white.  Window thread.
  void Resize(int width, int height);

  // Renders the model: the whole view with `whole`, else only the topology
  // right of the separator.  The caller holds the engine lock.  Returns the
  // area that changed.
  RECT Render(const TopologyModel& model, bool whole);

  // Draws `text` at (x, y) in the view font over a white background as wide
  // as the text.  Any thread.  Returns the area touched.
  RECT DrawCell(int x, int y, const char* text, int colourClass);

  // Copies `area` of the canvas to `target` at the same place.
  void CopyTo(HDC target, const RECT& area);

  // Width of one character of the view font.
  int CharWidth() const { return charWidth_; }

 private:
  friend class GdiPainter;

  mutable std::mutex mutex_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ initialBitmap_ = nullptr;
  int width_ = 1;
  int height_ = 1;
  HBITMAP pictures_[3] = {};
  HFONT viewFont_ = nullptr;
  HFONT systemFont_ = nullptr;
  int charWidth_ = 6;
};

}  // namespace tessaro
