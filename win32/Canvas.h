#pragma once

#include <windows.h>

#include <mutex>

#include "app/front/TopologyLayout.h"
#include "app/front/ViewScale.h"

namespace tessaro {

// The persistent picture of the topology view: a DIB section selected into a
// memory DC, as large as the view's content (or its window, if larger), in
// device pixels at the screen's scale.  A full repaint renders it from the
// model; a cell redraw draws one text into it at once, from either thread;
// WM_PAINT only copies the part in sight.  One small lock guards it.  Lock
// order: the engine lock before this one.
class Canvas {
 public:
  Canvas();
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // The screen's scale: fonts and pictures for it.  The next full render
  // draws at it.  Window thread.
  void SetScale(const ViewScale& scale);
  ViewScale Scale() const;

  // New size in device pixels, cleared to white.  Window thread.
  void Resize(int width, int height);
  SIZE Size() const;

  // Renders the model: the whole view with `whole`, else only the topology
  // right of the separator.  The caller holds the engine lock.  Returns the
  // area that changed, in canvas pixels.
  RECT Render(const TopologyModel& model, bool whole);

  // Draws `text` at (x, y) of the layout in the view font over a white
  // background as wide as the text.  Any thread.  Returns the area touched,
  // in canvas pixels.
  RECT DrawCell(int x, int y, const char* text, int colourClass);

  // Copies `area` of `target` from the canvas, whose point `origin` shows at
  // the target's (0, 0).
  void CopyTo(HDC target, const RECT& area, POINT origin);

  // Width of one character of the view font, in device pixels.
  int CharWidth() const;

 private:
  friend class GdiPainter;

  void LoadFonts();
  void LoadPictures();
  void FreeFontsAndPictures();

  mutable std::mutex mutex_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ initialBitmap_ = nullptr;
  int width_ = 1;
  int height_ = 1;
  ViewScale scale_;
  HBITMAP pictures_[3] = {};
  HFONT viewFont_ = nullptr;
  HFONT systemFont_ = nullptr;
  int charWidth_ = 6;
};

}  // namespace tessaro
