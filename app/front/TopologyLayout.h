#pragma once

// Where everything of the topology view goes, free of Qt so that the layout
// is checked without a display.  The view's widget only turns these calls
// into drawing on its canvas.

#include <cstddef>
#include <cstdint>

#include "app/front/CellTexts.h"
#include "linktest/TestState.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// Pixel layout of the view, relative to its client area.
namespace layout {
// Dialog base units: the average width and the height of the system font.
inline constexpr int kCx = 8;
inline constexpr int kCy = 16;

inline constexpr int kSeparatorX[3] = {81, 82, 83};
// Everything right of this x belongs to the topology; left of it is the strip
// with the host picture, the buttons and the legend.
inline constexpr int kTopologyLeft = 81;

inline constexpr int kHostX = 3;
inline constexpr int kHostY = 10;

inline constexpr int kBasePictureX = 84;
inline constexpr int kBasePictureDy = 20;
inline constexpr int kBaseNumberX = 95;
inline constexpr int kBaseNumberDy = 54;
inline constexpr int kBaseTextX = 127;
inline constexpr int kBaseTextDy = 44;
inline constexpr int kRowHeight = 100;

inline constexpr int kFirstTerminalX = 154;
inline constexpr int kTerminalPictureDy = 5;
inline constexpr int kTerminalNumberDx = 8;
inline constexpr int kTerminalNumberDy = 35;
inline constexpr int kTerminalTextDx = 32;
inline constexpr int kTerminalStep = 52;
inline constexpr int kColumnWidth = kTerminalTextDx + kTerminalStep;  // 84
inline constexpr int kTerminalTextDy = 20;

inline constexpr int kLegendX = 5;
inline constexpr int kLegendFromBottom = 100;

// Picture sizes.
inline constexpr int kHostWidth = 72;
inline constexpr int kHostHeight = 96;
inline constexpr int kBaseWidth = 44;
inline constexpr int kBaseHeight = 64;
inline constexpr int kTerminalWidth = 32;
inline constexpr int kTerminalHeight = 88;

// The mode button (index 0, control 401) and the run button (index 1, 402).
struct ButtonGeometry {
  int x, y, width, height;
};
inline constexpr ButtonGeometry ButtonRect(int index) {
  return {kCx - 5, (10 + 2 * index) * kCy, 9 * kCx, 7 * kCy / 4};
}
}  // namespace layout

// What a text is drawn with.  Colour classes 0..2 come from the core; the
// numbers on the pictures are white.
enum class TextColour { Black, Red, Blue, White };
TextColour ColourOfClass(int colourClass);

enum class TextFace {
  View,    // the fixed-pitch view font
  System,  // the numbers on the pictures
};

enum class Picture { Host, Base, Terminal };

// The rectangle a text of `length` characters gets: cx per character, cy high.
struct TextBox {
  int left, top, right, bottom;
};
inline TextBox TextBoxAt(int x, int y, int length) {
  return {x, y, x + layout::kCx * length, y + layout::kCy};
}

// Receives the drawing of a full repaint, in painting order.
class PaintSink {
 public:
  virtual ~PaintSink() = default;
  virtual void DrawPicture(Picture picture, int x, int y) = 0;
  // A one-pixel vertical line from (x, top) to (x, bottom), bottom excluded.
  virtual void DrawVerticalLine(int x, int top, int bottom) = 0;
  // Text clipped to `box`, transparent background.
  virtual void DrawText(const TextBox& box, const char* text, int length, TextFace face,
                        TextColour colour) = 0;
};

// What the view shows.
struct TopologyModel {
  const StationRegistry& registry;
  const TestState& test;
  bool portOpen;
  // A mark under the host picture (app/ViewNotices.h), nullptr for none.
  const char* notice;
};

// The full repaint of a client area `height` pixels high.  With the port
// closed only the host picture shows.
void PaintTopology(const TopologyModel& model, int height, PaintSink& sink);

// The top left corner of a cell text (app/front/CellTexts.h).  false when the
// cell is not on screen: a base that is not present, a terminal that no
// present base lists, or an unknown kind.
bool CellPosition(const StationRegistry& registry, char kind, int lineOffset, int number, int* x,
                  int* y);

// The size the view needs to show everything: a row per present base, a
// column per terminal of the fullest row, and the strip with the buttons
// above the legend.  A window smaller than this scrolls the view.
struct ContentSize {
  int width, height;
};
ContentSize ContentSizeOf(const StationRegistry& registry, bool portOpen);

// The row index of a present base: the number of present bases below it.
int RowIndexOf(const StationRegistry& registry, int base);

// The base whose row shows terminal t (the lowest present base that lists
// it) and the terminal's column in that row; false when no present base
// lists it.
bool TerminalColumn(const StationRegistry& registry, int terminal, int* base, int* column);

// The five labels of a terminal cell by link mode, and the formatted line
// "XX:%05d" (at least 16 bytes).  Returns the length.
int FormatTerminalLine(int lineIndex, LinkMode linkMode, std::int32_t value, char* out,
                       std::size_t size);

}  // namespace tessaro
