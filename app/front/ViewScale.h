#pragma once

// The view at a screen's pixel density, the same in every toolkit that draws
// in device pixels: the layout (TopologyLayout.h) is in pixels at 96 dots per
// inch, and a screen of another density multiplies every coordinate.

#include "app/front/TopologyLayout.h"

namespace tessaro {

class ViewScale {
 public:
  static constexpr int kBaseDpi = 96;
  // Densities outside this range are taken as its ends.
  static constexpr int kMinDpi = 96;
  static constexpr int kMaxDpi = 480;

  // The scale of a screen of `dpi` dots per inch; 0 or less (unknown) is 96.
  explicit ViewScale(int dpi = kBaseDpi);

  int Dpi() const { return dpi_; }
  // The factor in percent, rounded: 100, 125, 150, 200.
  int Percent() const;

  // A layout coordinate in device pixels, rounded to the nearest (halves
  // away from zero).  Extents scale by their edges, so that neighbours that
  // touch in the layout touch on the screen.
  int Px(int logical) const;
  TextBox Box(const TextBox& logical) const;
  // A device extent back in layout pixels, rounded down (the layout never
  // claims a pixel the screen does not have).
  int Logical(int device) const;

  // Whether pictures come from their double-size drawings (any factor above
  // one) rather than the single-size ones.
  bool DoublePictures() const { return dpi_ > kBaseDpi; }

  bool operator==(const ViewScale& other) const { return dpi_ == other.dpi_; }

 private:
  int dpi_;
};

// Forwards a repaint to `target` in device pixels.  A one-pixel line becomes
// as many device columns as its pixel covers.
class ScaledSink final : public PaintSink {
 public:
  ScaledSink(const ViewScale& scale, PaintSink& target) : scale_(scale), target_(target) {}

  void DrawPicture(Picture picture, int x, int y) override;
  void DrawVerticalLine(int x, int top, int bottom) override;
  void DrawText(const TextBox& box, const char* text, int length, TextFace face,
                TextColour colour) override;

 private:
  const ViewScale& scale_;
  PaintSink& target_;
};

// A picture's size in device pixels.
struct PictureSize {
  int width, height;
};
PictureSize PictureSizeOf(Picture picture, const ViewScale& scale);

}  // namespace tessaro
