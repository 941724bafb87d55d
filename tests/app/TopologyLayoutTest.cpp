#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/front/CellPlacer.h"
#include "app/front/TopologyLayout.h"

namespace tessaro {
namespace {

struct Drawn {
  enum Kind { kPicture, kLine, kText } kind = kPicture;
  Picture picture = Picture::Host;
  int x = 0;
  int y = 0;
  int right = 0;
  int bottom = 0;
  std::string text;
  TextFace face = TextFace::View;
  TextColour colour = TextColour::Black;
};

class RecordingSink : public PaintSink {
 public:
  void DrawPicture(Picture picture, int x, int y) override {
    Drawn d;
    d.kind = Drawn::kPicture;
    d.picture = picture;
    d.x = x;
    d.y = y;
    all.push_back(d);
  }
  void DrawVerticalLine(int x, int top, int bottom) override {
    Drawn d;
    d.kind = Drawn::kLine;
    d.x = x;
    d.y = top;
    d.bottom = bottom;
    all.push_back(d);
  }
  void DrawText(const TextBox& box, const char* text, int length, TextFace face,
                TextColour colour) override {
    Drawn d;
    d.kind = Drawn::kText;
    d.x = box.left;
    d.y = box.top;
    d.right = box.right;
    d.bottom = box.bottom;
    d.text.assign(text, static_cast<std::size_t>(length));
    d.face = face;
    d.colour = colour;
    all.push_back(d);
  }

  std::vector<Drawn> Pictures(Picture p) const {
    std::vector<Drawn> out;
    for (const Drawn& d : all) {
      if (d.kind == Drawn::kPicture && d.picture == p) out.push_back(d);
    }
    return out;
  }
  const Drawn* Text(const std::string& text, int nth = 0) const {
    for (const Drawn& d : all) {
      if (d.kind == Drawn::kText && d.text == text && nth-- == 0) return &d;
    }
    return nullptr;
  }

  std::vector<Drawn> all;
};

class TopologyLayoutTest : public ::testing::Test {
 protected:
  TopologyLayoutTest() { registry.Reset(); }

  void AddBase(int b, char channel = '2', char group = '3', char power = '4') {
    registry.rows[b].present = 1;
    registry.properties[b].channel = channel;
    registry.properties[b].group = group;
    registry.properties[b].power = power;
    if (b > registry.highestBase) registry.highestBase = b;
  }
  void AddTerminal(int b, int t) {
    registry.rows[b].terminal[t] = 1;
    if (t > registry.highestTerminal[b]) registry.highestTerminal[b] = t;
  }
  RecordingSink Paint(bool portOpen = true, int height = 600) {
    RecordingSink sink;
    PaintTopology(TopologyModel{registry, test, portOpen, nullptr}, height, sink);
    return sink;
  }

  StationRegistry registry;
  TestState test;
};

TEST_F(TopologyLayoutTest, ClosedPortShowsOnlyTheHostPicture) {
  AddBase(1);
  AddTerminal(1, 3);
  const RecordingSink sink = Paint(false);
  ASSERT_EQ(sink.all.size(), 1u);
  EXPECT_EQ(sink.all[0].picture, Picture::Host);
  EXPECT_EQ(sink.all[0].x, 3);
  EXPECT_EQ(sink.all[0].y, 10);
}

TEST_F(TopologyLayoutTest, OpenPortDrawsSeparatorAndLegendFromTheBottom) {
  const RecordingSink sink = Paint(true, 700);
  std::vector<int> lines;
  for (const Drawn& d : sink.all) {
    if (d.kind != Drawn::kLine) continue;
    lines.push_back(d.x);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.bottom, 700);
  }
  EXPECT_EQ(lines, (std::vector<int>{81, 82, 83}));

  struct Expect {
    const char* text;
    int dy;
    TextColour colour;
  };
  const Expect legend[] = {
      {"SD:Send", 0, TextColour::Blue},       {"RE:Receive", 14, TextColour::Blue},
      {"DP:Duplicate", 28, TextColour::Blue}, {"TM:Time", 42, TextColour::Red},
      {"AV:Average", 56, TextColour::Red},    {"  (msec)", 70, TextColour::Red}};
  for (const Expect& e : legend) {
    const Drawn* d = sink.Text(e.text);
    ASSERT_NE(d, nullptr) << e.text;
    EXPECT_EQ(d->x, 5);
    EXPECT_EQ(d->y, 600 + e.dy) << e.text;
    EXPECT_EQ(d->colour, e.colour) << e.text;
    EXPECT_EQ(d->right - d->x, 8 * static_cast<int>(std::string(e.text).size()));
    EXPECT_EQ(d->bottom - d->y, 16);
  }
}

TEST_F(TopologyLayoutTest, RowsOfPresentBasesFollowWithoutGaps) {
  AddBase(1);
  AddBase(5);
  const RecordingSink sink = Paint();
  const std::vector<Drawn> bases = sink.Pictures(Picture::Base);
  ASSERT_EQ(bases.size(), 2u);
  EXPECT_EQ(bases[0].x, 84);
  EXPECT_EQ(bases[0].y, 20);
  EXPECT_EQ(bases[1].x, 84);
  EXPECT_EQ(bases[1].y, 120);

  const Drawn* five = sink.Text("05");
  ASSERT_NE(five, nullptr);
  EXPECT_EQ(five->x, 95);
  EXPECT_EQ(five->y, 154);
  EXPECT_EQ(five->face, TextFace::System);
  EXPECT_EQ(five->colour, TextColour::White);
}

TEST_F(TopologyLayoutTest, BasePropertiesAreFourCharactersInBlack) {
  AddBase(3, '2', '3', '4');
  const RecordingSink sink = Paint();
  const Drawn* ch = sink.Text("CH:2");
  const Drawn* gp = sink.Text("GP:3");
  const Drawn* pw = sink.Text("PW:4");
  ASSERT_TRUE(ch && gp && pw);
  EXPECT_EQ(ch->x, 127);
  EXPECT_EQ(ch->y, 44);
  EXPECT_EQ(gp->y, 58);
  EXPECT_EQ(pw->y, 72);
  EXPECT_EQ(ch->right - ch->x, 32);
  EXPECT_EQ(ch->colour, TextColour::Black);

  // A channel not reported yet still takes its four characters.
  registry.properties[3].channel = 0;
  EXPECT_NE(Paint().Text("CH: "), nullptr);
}

TEST_F(TopologyLayoutTest, TerminalColumnsAreEightyFourPixelsApart) {
  AddBase(3);
  AddTerminal(3, 2);
  AddTerminal(3, 7);
  const RecordingSink sink = Paint();
  const std::vector<Drawn> terminals = sink.Pictures(Picture::Terminal);
  ASSERT_EQ(terminals.size(), 2u);
  EXPECT_EQ(terminals[0].x, 154);
  EXPECT_EQ(terminals[0].y, 5);
  EXPECT_EQ(terminals[1].x, 238);

  const Drawn* number = sink.Text("07");
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->x, 246);
  EXPECT_EQ(number->y, 35);
  EXPECT_EQ(number->colour, TextColour::White);

  // The second terminal's counters start at 270, in blue and red.
  const int dy[5] = {0, 14, 28, 44, 58};
  const char* labels[5] = {"SD:00000", "OK:00000", "NG:00000", "TM:00000", "AV:00000"};
  for (int line = 0; line < 5; ++line) {
    const Drawn* d = sink.Text(labels[line], 1);
    ASSERT_NE(d, nullptr) << labels[line];
    EXPECT_EQ(d->x, 270);
    EXPECT_EQ(d->y, 20 + dy[line]);
    EXPECT_EQ(d->colour, line < 3 ? TextColour::Blue : TextColour::Red);
    EXPECT_EQ(d->face, TextFace::View);
  }
}

TEST_F(TopologyLayoutTest, PassiveLabelsAndWideCounters) {
  AddBase(1);
  AddTerminal(1, 4);
  test.linkMode = kPassive;
  test.stats.sdReCount[4] = 123456;
  test.stats.okDpCount[4] = 7;
  const RecordingSink sink = Paint();
  EXPECT_NE(sink.Text("RE:123456"), nullptr);
  EXPECT_NE(sink.Text("DP:00007"), nullptr);
  EXPECT_NE(sink.Text("NG:00000"), nullptr);
  EXPECT_EQ(sink.Text("SD:00000"), nullptr);
}

TEST_F(TopologyLayoutTest, OnlyBasesUpToTheHighestAreDrawn) {
  AddBase(2);
  registry.rows[9].present = 1;  // present, but above highestBase
  EXPECT_EQ(Paint().Pictures(Picture::Base).size(), 1u);
}

// A window smaller than this size scrolls; whatever lies outside it cannot
// be reached.  Text ends where its 6-pixel characters end.
TEST_F(TopologyLayoutTest, ContentSizeHoldsEverythingTheRepaintDraws) {
  EXPECT_EQ(ContentSizeOf(registry, false).height, 10 + 96);
  for (int b = 1; b <= 16; ++b) AddBase(b);
  for (int t = 1; t <= 99; t += 7) AddTerminal(16, t);
  AddTerminal(3, 4);
  const ContentSize size = ContentSizeOf(registry, true);
  EXPECT_EQ(size.height, 16 * 100);
  EXPECT_EQ(size.width, 154 + 15 * 84);
  const RecordingSink sink = Paint(true, size.height);
  int right = 0;
  int bottom = 0;
  for (const Drawn& d : sink.all) {
    if (d.kind == Drawn::kText) {
      right = std::max(right, d.x + 6 * static_cast<int>(d.text.size()));
      bottom = std::max(bottom, d.y + 16);
    } else if (d.kind == Drawn::kPicture && d.picture != Picture::Host) {
      const bool base = d.picture == Picture::Base;
      right = std::max(right, d.x + (base ? 44 : 32));
      bottom = std::max(bottom, d.y + (base ? 64 : 88));
    }
  }
  EXPECT_LE(right, size.width);
  EXPECT_LE(bottom, size.height);
  EXPECT_GT(right, size.width - 84);

  // Few rows still leave the strip's buttons above the legend.
  registry.Reset();
  AddBase(1);
  EXPECT_EQ(ContentSizeOf(registry, true).height, 192 + 28 + 100);
}

TEST_F(TopologyLayoutTest, CellPositionsAgreeWithTheRepaint) {
  // Bases 2, 6 and 11; terminal 8 under 6 and 11 (its cell is in 6's row).
  AddBase(2);
  AddBase(6);
  AddBase(11);
  for (int t : {1, 5, 30}) AddTerminal(2, t);
  for (int t : {3, 8, 9}) AddTerminal(6, t);
  for (int t : {8, 12}) AddTerminal(11, t);
  test.stats.ngCount[8] = 42;
  const RecordingSink sink = Paint();

  int x = 0;
  int y = 0;
  ASSERT_TRUE(CellPosition(registry, 'T', 28, 8, &x, &y));
  const Drawn* ng = sink.Text("NG:00042");  // first drawing: base 6's row
  ASSERT_NE(ng, nullptr);
  EXPECT_EQ(x, ng->x);
  EXPECT_EQ(y, ng->y);
  EXPECT_EQ(x, 154 + 84 + 32);
  EXPECT_EQ(y, 100 + 20 + 28);

  ASSERT_TRUE(CellPosition(registry, 'T', 58, 30, &x, &y));
  EXPECT_EQ(x, 186 + 2 * 84);
  EXPECT_EQ(y, 20 + 58);

  ASSERT_TRUE(CellPosition(registry, 'T', 0, 12, &x, &y));
  EXPECT_EQ(x, 186 + 84);
  EXPECT_EQ(y, 200 + 20);

  ASSERT_TRUE(CellPosition(registry, 'B', 14, 11, &x, &y));
  const Drawn* gp = sink.Text("GP:3", 2);
  ASSERT_NE(gp, nullptr);
  EXPECT_EQ(x, gp->x);
  EXPECT_EQ(y, gp->y);
}

// A change the engine reports is drawn with the text, at the place, that
// the next repaint draws for the same records.
TEST_F(TopologyLayoutTest, EveryReportedChangeIsDrawnAsTheRepaintDrawsIt) {
  struct Placed {
    int x, y;
    std::string text;
  };
  class RecordingPlacer final : public CellPlacer {
   public:
    void DrawCellAt(int x, int y, const char* text, int) override { drawn.push_back({x, y, text}); }
    std::vector<Placed> drawn;
  };
  AddBase(3, '5', '1', '2');
  AddBase(9);
  AddTerminal(3, 4);
  AddTerminal(9, 4);
  AddTerminal(9, 17);
  const struct {
    LinkMode mode;
    Counter counter;
    int line;
  } cases[] = {
      {kActive, Counter::Sent, 0},       {kActive, Counter::Ok, 1},
      {kActive, Counter::NoGood, 2},     {kActive, Counter::ReplyTime, 3},
      {kActive, Counter::Average, 4},    {kPassive, Counter::Received, 0},
      {kPassive, Counter::Duplicate, 1}, {kPassive, Counter::NoGood, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.counter));
    test.linkMode = c.mode;
    std::int32_t* counters[5] = {test.stats.sdReCount, test.stats.okDpCount, test.stats.ngCount,
                                 test.stats.replyTime, test.stats.average};
    counters[c.line][17] = 12345 + c.line;
    RecordingPlacer placer;
    placer.CounterChanged(registry, 17, c.counter, 12345 + c.line, kBlue);
    const RecordingSink sink = Paint();
    ASSERT_EQ(placer.drawn.size(), 1u);
    const Drawn* painted = sink.Text(placer.drawn[0].text);
    ASSERT_NE(painted, nullptr) << placer.drawn[0].text;
    EXPECT_EQ(placer.drawn[0].x, painted->x);
    EXPECT_EQ(placer.drawn[0].y, painted->y);
  }
  RecordingPlacer placer;
  placer.BasePropertyChanged(registry, 9, BaseProperty::Channel, '2');
  placer.BasePropertyChanged(registry, 3, BaseProperty::Group, '1');
  placer.BasePropertyChanged(registry, 3, BaseProperty::Power, '2');
  placer.BasePropertyChanged(registry, 5, BaseProperty::Power, '2');  // not present
  const RecordingSink sink = Paint();
  ASSERT_EQ(placer.drawn.size(), 3u);
  const Drawn* painted[3] = {sink.Text("CH:2"), sink.Text("GP:1"), sink.Text("PW:2")};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(painted[i], nullptr);
    EXPECT_EQ(placer.drawn[i].text, painted[i]->text);
    EXPECT_EQ(placer.drawn[i].x, painted[i]->x);
    EXPECT_EQ(placer.drawn[i].y, painted[i]->y);
  }
}

TEST_F(TopologyLayoutTest, CellsThatAreNotOnScreenHaveNoPosition) {
  AddBase(4);
  AddTerminal(4, 10);
  registry.rows[7].terminal[20] = 1;  // listed by a base that is not present
  int x = -1;
  int y = -1;
  EXPECT_FALSE(CellPosition(registry, 'B', 0, 5, &x, &y));
  EXPECT_FALSE(CellPosition(registry, 'B', 0, 0, &x, &y));
  EXPECT_FALSE(CellPosition(registry, 'B', 0, 17, &x, &y));
  EXPECT_FALSE(CellPosition(registry, 'T', 0, 20, &x, &y));
  EXPECT_FALSE(CellPosition(registry, 'T', 0, 11, &x, &y));
  EXPECT_FALSE(CellPosition(registry, 'T', 0, 100, &x, &y));
  EXPECT_FALSE(CellPosition(registry, 'X', 0, 10, &x, &y));
  EXPECT_EQ(x, -1);
  EXPECT_TRUE(CellPosition(registry, 'T', 0, 10, &x, &y));
}

TEST(TopologyTextTest, ColourClassesOutsideTheTableDrawBlack) {
  EXPECT_EQ(ColourOfClass(0), TextColour::Black);
  EXPECT_EQ(ColourOfClass(1), TextColour::Red);
  EXPECT_EQ(ColourOfClass(2), TextColour::Blue);
  EXPECT_EQ(ColourOfClass(3), TextColour::Black);
  EXPECT_EQ(ColourOfClass(-1), TextColour::Black);
}

TEST(TopologyTextTest, ButtonsSitUnderTheHostPicture) {
  const layout::ButtonGeometry mode = layout::ButtonRect(0);
  const layout::ButtonGeometry run = layout::ButtonRect(1);
  EXPECT_EQ(mode.x, 3);
  EXPECT_EQ(mode.y, 160);
  EXPECT_EQ(mode.width, 72);
  EXPECT_EQ(mode.height, 28);
  EXPECT_EQ(run.x, 3);
  EXPECT_EQ(run.y, 192);
}

TEST(TopologyTextTest, TerminalLinesFitTheirBuffer) {
  char small[6];
  EXPECT_EQ(FormatTerminalLine(0, kActive, 12, small, sizeof small), 5);
  EXPECT_STREQ(small, "SD:00");
  char text[24];
  EXPECT_EQ(FormatTerminalLine(4, kPassive, -3, text, sizeof text), 8);
  EXPECT_STREQ(text, "AV:-0003");
}

}  // namespace
}  // namespace tessaro
