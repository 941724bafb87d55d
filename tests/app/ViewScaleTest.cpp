#include <gtest/gtest.h>

#include <vector>

#include "app/front/ViewLook.h"
#include "app/front/ViewScale.h"
#include "app/front/ViewScroll.h"

namespace tessaro {
namespace {

TEST(ViewScaleTest, FactorsAndCellSizesByDensity) {
  struct Case {
    int dpi, percent, cx, cy, row, column, font;
  };
  // The layout's character cell (8 x 16), row (100), terminal column (84) and
  // view font (15 pixels).  Densities out of range or unknown fall back.
  const Case cases[] = {
      {96, 100, 8, 16, 100, 84, 15},    {120, 125, 10, 20, 125, 105, 19},
      {144, 150, 12, 24, 150, 126, 23}, {168, 175, 14, 28, 175, 147, 26},
      {192, 200, 16, 32, 200, 168, 30}, {0, 100, 8, 16, 100, 84, 15},
      {72, 100, 8, 16, 100, 84, 15},    {2000, 500, 40, 80, 500, 420, 75},
  };
  for (const Case& c : cases) {
    const ViewScale s(c.dpi);
    EXPECT_EQ(s.Percent(), c.percent) << c.dpi;
    EXPECT_EQ(s.Px(layout::kCx), c.cx) << c.dpi;
    EXPECT_EQ(s.Px(layout::kCy), c.cy) << c.dpi;
    EXPECT_EQ(s.Px(layout::kRowHeight), c.row) << c.dpi;
    EXPECT_EQ(s.Px(layout::kColumnWidth), c.column) << c.dpi;
    EXPECT_EQ(s.Px(look::kViewFontPixels), c.font) << c.dpi;
    EXPECT_EQ(s.DoublePictures(), c.percent > 100) << c.dpi;
  }
}

// Texts side by side in the layout stay side by side on the screen, without a
// gap or an overlap, at a factor where single pixels round both ways.
TEST(ViewScaleTest, NeighbouringBoxesTouchAndDeviceSizesMapBack) {
  for (int dpi : {96, 108, 120, 144, 168}) {
    const ViewScale s(dpi);
    for (int x = 0; x < 300; ++x) {
      const TextBox left = s.Box(TextBoxAt(x, 7, 1));
      const TextBox right = s.Box(TextBoxAt(x + layout::kCx, 7, 1));
      ASSERT_EQ(left.right, right.left) << dpi << " at " << x;
      // A device extent read back never claims more than the screen has.
      ASSERT_LE(s.Px(s.Logical(x)), x) << dpi;
      ASSERT_GE(s.Px(s.Logical(x) + 1), x) << dpi;
    }
  }
}

class LineRecorder final : public PaintSink {
 public:
  std::vector<int> columns;
  void DrawPicture(Picture, int, int) override {}
  void DrawVerticalLine(int x, int, int) override { columns.push_back(x); }
  void DrawText(const TextBox&, const char*, int, TextFace, TextColour) override {}
};

TEST(ViewScaleTest, TheSeparatorHasNoGapAtAnyFactor) {
  for (int dpi : {96, 120, 144, 192}) {
    const ViewScale s(dpi);
    LineRecorder lines;
    ScaledSink sink(s, lines);
    for (int x : layout::kSeparatorX) sink.DrawVerticalLine(x, 0, 10);
    ASSERT_EQ(static_cast<int>(lines.columns.size()), s.Px(84) - s.Px(81)) << dpi;
    for (std::size_t i = 1; i < lines.columns.size(); ++i) {
      EXPECT_EQ(lines.columns[i], lines.columns[i - 1] + 1) << dpi;
    }
  }
}

TEST(ViewScrollTest, MovesStayWithinTheContent) {
  using scroll::Move;
  struct Case {
    int position;
    Move move;
    int content, page, want;
  };
  const Case cases[] = {
      {0, Move::kLineForward, 1600, 700, 20},
      {0, Move::kLineBack, 1600, 700, 0},
      {895, Move::kLineForward, 1600, 700, 900},
      {100, Move::kPageForward, 1600, 700, 800},
      {800, Move::kPageForward, 1600, 700, 900},
      {500, Move::kPageBack, 1600, 700, 0},
      {300, Move::kEnd, 1600, 700, 900},
      {300, Move::kStart, 1600, 700, 0},
      // Everything shows: nothing moves, and a stale position comes back.
      {0, Move::kEnd, 500, 700, 0},
      {250, Move::kLineBack, 500, 700, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scroll::Moved(c.position, c.move, c.content, c.page, 20), c.want)
        << c.position << " " << static_cast<int>(c.move);
  }
}

TEST(ViewScrollTest, TheWheelScrollsItsLinesPerNotch) {
  // A notch towards the user moves three lines forward, one away back; a
  // fine wheel's part of a notch its share; a huge delta stops at the end.
  EXPECT_EQ(scroll::Wheeled(100, -120, 3, 1600, 700, 20), 160);
  EXPECT_EQ(scroll::Wheeled(100, 120, 3, 1600, 700, 20), 40);
  EXPECT_EQ(scroll::Wheeled(100, -40, 3, 1600, 700, 20), 120);
  EXPECT_EQ(scroll::Wheeled(100, -120, 0, 1600, 700, 30), 190);
  EXPECT_EQ(scroll::Wheeled(100, -2147483647, 3, 1600, 700, 20), 900);
  EXPECT_EQ(scroll::Wheeled(100, 2147483647, 3, 1600, 700, 20), 0);
}

}  // namespace
}  // namespace tessaro
