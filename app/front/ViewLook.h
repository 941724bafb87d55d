#pragma once

#include <algorithm>

#include "app/front/TopologyLayout.h"

namespace tessaro {

// How the topology view's texts look, the same in every toolkit: the
// colours, the view font's cell and the background a cell text is drawn on.
namespace look {

struct Rgb {
  int red, green, blue;
};

inline constexpr Rgb RgbOf(TextColour colour) {
  switch (colour) {
    case TextColour::Red:
      return {0xFF, 0, 0};
    case TextColour::Blue:
      return {0, 0, 0xFF};
    case TextColour::White:
      return {0xFF, 0xFF, 0xFF};
    default:
      return {0, 0, 0};
  }
}

// The view font: this face where installed, asked for in a cell this many
// pixels high and wide; a toolkit picks the nearest fixed-pitch face else.
inline constexpr char kViewFace[] = "Elite";
inline constexpr int kViewFontPixels = 15;
inline constexpr int kViewCharWidth = 6;
// The numbers on the pictures: two bold digits.
inline constexpr int kSystemFontPixels = 13;

// A cell text of `length` characters at (x, y), each `charWidth` pixels wide
// in the face found, is drawn on white within its box; the opaque background
// covers the text itself, not the whole box: the box is wider than the text
// and reaches into the next picture.
inline TextBox CellBackground(const TextBox& box, int length, int charWidth) {
  return {box.left, box.top, box.left + std::min(charWidth * length, box.right - box.left),
          box.bottom};
}
inline TextBox CellBackground(int x, int y, int length, int charWidth) {
  return CellBackground(TextBoxAt(x, y, length), length, charWidth);
}

}  // namespace look
}  // namespace tessaro
