#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <vector>

#include "WindowFixture.h"
#include "support/EngineTestAccess.h"
#include "ui/TopologyCanvas.h"

namespace tessaro::testing {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

int Count(const QImage& image, const QRect& box, QRgb colour) {
  int n = 0;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      if (image.pixel(x, y) == colour) ++n;
    }
  }
  return n;
}

// The box a placed cell draw (DrawCellAt) gives a text of `length` characters at (x, y).
QRect TextBox(int x, int y, int length) {
  return QRect(x, y, 8 * length, 16);
}

QImage Picture(const char* name) {
  return QImage(QString::fromLatin1(":/pictures/%1.xpm").arg(QLatin1String(name)))
      .convertToFormat(QImage::Format_RGB32);
}

// True when the canvas shows `picture` at (x, y), leaving out `except` (in
// picture coordinates), where texts are drawn over it.
bool ShowsPicture(const QImage& canvas, const QImage& picture, int x, int y,
                  const QRect& except = QRect()) {
  for (int py = 0; py < picture.height(); ++py) {
    for (int px = 0; px < picture.width(); ++px) {
      if (except.contains(px, py)) continue;
      if (canvas.pixel(x + px, y + py) != picture.pixel(px, py)) return false;
    }
  }
  return true;
}

class TopologyCanvasTest : public WindowFixture {
 protected:
  void SetUp() override {
    OpenOnPty();
    Discover();
  }
  // Where a text's own pixels go: its box reaches into the next picture.
  QRect Ink(int x, int y, int length) {
    return QRect(x, y, display.Canvas().CharWidth() * length, 16);
  }
  // The NG line of terminal 2 (base 1, first column).
  QRect NgBox() { return Ink(186, 20 + 28, 8); }
  // What "text" drawn by DrawCellAt at the box looks like on white.
  QImage Expected(const char* text, int colourClass, const QRect& box) {
    TopologyCanvas reference;
    reference.Resize(Canvas().size());
    reference.DrawCell(box.left(), box.top(), text, colourClass);
    return reference.Snapshot().copy(box);
  }
};

TEST_F(TopologyCanvasTest, PresentBasesAreStackedWithoutGaps) {
  const QImage canvas = Canvas();
  const QImage base = Picture("base");
  // The number box and the column the property texts share are left out.
  const QRect texts(11, 34, 16, 16);
  EXPECT_TRUE(ShowsPicture(canvas, base, 84, 20, texts));
  EXPECT_TRUE(ShowsPicture(canvas, base, 84, 120, texts));
  // Nothing where base 5 would be with a row per base number.
  EXPECT_EQ(Count(canvas, QRect(84, 420, 44, 64), kWhite), 44 * 64);
  // Separator lines from top to bottom.
  for (int x : {81, 82, 83}) {
    EXPECT_EQ(canvas.pixel(x, 0), kBlack);
    EXPECT_EQ(canvas.pixel(x, canvas.height() - 1), kBlack);
  }
}

TEST_F(TopologyCanvasTest, TerminalPicturesSitEightyFourPixelsApartWithWhiteNumbers) {
  const QImage canvas = Canvas();
  const QImage terminal = Picture("terminal");
  const QRect number(8, 30, 16, 16);
  EXPECT_TRUE(ShowsPicture(canvas, terminal, 154, 5, number));       // terminal 2
  EXPECT_TRUE(ShowsPicture(canvas, terminal, 154 + 84, 5, number));  // terminal 7
  EXPECT_TRUE(ShowsPicture(canvas, terminal, 154, 105, number));     // terminal 3, base 5
  for (QPoint at :
       {QPoint(162, 35), QPoint(246, 35), QPoint(162, 135), QPoint(95, 54), QPoint(95, 154)}) {
    EXPECT_GT(Count(canvas, QRect(at, QSize(16, 16)), kWhite), 12) << at.x() << "," << at.y();
  }
}

TEST_F(TopologyCanvasTest, CountersAreBlueAndRedAfterARepaint) {
  const QImage canvas = Canvas();
  const int dy[5] = {0, 14, 28, 44, 58};
  for (int column : {0, 1}) {
    for (int line = 0; line < 5; ++line) {
      const QRect box = TextBox(186 + 84 * column, 20 + dy[line], 8);
      const QRgb ink = line < 3 ? kBlue : kRed;
      EXPECT_GT(Count(canvas, box, ink), 20) << column << "/" << line;
      EXPECT_EQ(Count(canvas, box, line < 3 ? kRed : kBlue), 0) << column << "/" << line;
    }
  }
  EXPECT_EQ(canvas.copy(NgBox()), Expected("NG:00000", 2, NgBox()));
  EXPECT_EQ(canvas.copy(Ink(186, 20, 8)), Expected("SD:00000", 2, Ink(186, 20, 8)));
}

TEST_F(TopologyCanvasTest, PassiveNgIsRedUntilTheNextRepaint) {
  View().ModeButton()->click();  // PASSIVE: counters drawn again as zeros
  ASSERT_TRUE(WaitFor([&] {
    const QRect re = Ink(186, 20, 8);
    return Canvas().copy(re) == Expected("RE:00000", 2, re);
  }));
  base.Say("@NG02\r");
  ASSERT_TRUE(WaitFor([&] { return Canvas().copy(NgBox()) == Expected("NG:00001", 1, NgBox()); }));

  display.InvalidateView();
  ASSERT_TRUE(WaitFor([&] { return Canvas().copy(NgBox()) == Expected("NG:00001", 2, NgBox()); }));
  // The widget shows the canvas.
  EXPECT_TRUE(WaitFor([&] {
    const QImage shown = View().grab().toImage().convertToFormat(QImage::Format_RGB32);
    return shown.copy(NgBox()) == Canvas().copy(NgBox());
  }));
}

TEST_F(TopologyCanvasTest, TimedOutPacketIsCountedInBlack) {
  View().RunButton()->click();  // START
  ASSERT_TRUE(base.WaitHeard("@DT020001"));
  base.Say("@OK02\r");
  ASSERT_TRUE(WaitFor([&] {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    return EngineTestAccess::Test(*engine).stats.state[2] == ReplyState::kAwaiting;
  }));
  clock.Skip(5000);  // past the 2200 ms time-out; the 500 ms tick finds it
  ASSERT_TRUE(WaitFor([&] { return Canvas().copy(NgBox()) == Expected("NG:00001", 0, NgBox()); }));
  EXPECT_TRUE(base.WaitHeard("@DT020002"));
  View().RunButton()->click();  // STOP
}

TEST_F(TopologyCanvasTest, BasePropertyRepliesRedrawTheirCell) {
  base.Say("@CH05x4\r");
  const QRect ch = Ink(127, 100 + 44, 4);
  ASSERT_TRUE(WaitFor([&] { return Canvas().copy(ch) == Expected("CH:4", 0, ch); }));
}

TEST_F(TopologyCanvasTest, NewBaseListRepaintsOnlyTheTopology) {
  display.Canvas().DrawCell(5, 300, "MARK", 1);  // left strip: must survive
  base.Say("@BS0511\r");
  ASSERT_TRUE(WaitFor([&] {
    // Base 5 moves up into the first row.
    return ShowsPicture(Canvas(), Picture("base"), 84, 20, QRect(11, 34, 16, 16)) &&
           Count(Canvas(), QRect(84, 120, 44, 64), kWhite) == 44 * 64;
  }));
  EXPECT_GT(Count(Canvas(), TextBox(5, 300, 4), kRed), 10);
}

// Sixteen bases take 1,600 pixels: the window scrolls to the last row, which
// is drawn where the layout puts it.
TEST_F(TopologyCanvasTest, ViewLargerThanTheWindowScrolls) {
  std::string bases = "@BS";
  for (int b = 1; b <= 16; ++b)
    bases += QStringLiteral("%1").arg(b, 2, 10, QLatin1Char('0')).toStdString() + "11";
  base.Say(bases + "\r");
  ASSERT_TRUE(WaitFor([&] { return View().height() >= 1600; }));
  auto* scroll = frame->findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Canvas().height() >= 1600; }));
  ASSERT_TRUE(WaitFor([&] {
    return ShowsPicture(Canvas(), Picture("base"), 84, 1500 + 20, QRect(11, 34, 16, 16));
  }));
  scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
  Settle();
  EXPECT_EQ(View().mapTo(scroll->viewport(), QPoint(0, 1600)).y(), scroll->viewport()->height());
  EXPECT_EQ(View().ModeButton()->pos(), QPoint(3, 160));
}

// Every label of the view stays readable at the 6-pixel advance: between two
// capitals there is a column without ink, where a squeezed face merges them.
TEST(TopologyCanvasFontTest, CapitalsOfTheLabelsStayApart) {
  TopologyCanvas canvas;
  ASSERT_EQ(canvas.CharWidth(), 6);
  canvas.Resize(QSize(200, 20));
  std::vector<std::string> merged;
  for (const char* label :
       {"SD", "RE", "DP", "OK", "NG", "TM", "AV", "CH", "GP", "PW", "DM", "HW", "MN", "WM"}) {
    canvas.DrawCell(10, 2, label, 0);
    const QImage image = canvas.Snapshot();
    bool apart = false;
    // From the middle of the first capital to the middle of the second.
    for (int x = 10 + 3; x <= 10 + 6 + 2 && !apart; ++x) {
      apart = Count(image, QRect(x, 2, 1, 16), kWhite) == 16;
    }
    if (!apart) merged.push_back(label);
  }
  EXPECT_TRUE(merged.empty()) << ::testing::PrintToString(merged);
}

// Cell redraws set pixels from the glyph strip: they must draw what the
// painter draws, also for a cell cut off by any edge of the canvas, and
// never a pixel outside it.
TEST(TopologyCanvasFontTest, GlyphStripDrawsAsThePainterAtEveryEdge) {
  TopologyCanvas canvas;
  ASSERT_TRUE(canvas.DrawsFromGlyphStrip());
  const QSize size(60, 30);
  canvas.Resize(size);
  const QFont font = MakeViewFont();
  const int inset = QFontMetrics(font).leftBearing(QLatin1Char('H')) < 1 ? 1 : 0;
  struct Case {
    int x;
    int y;
    const char* text;
  };
  for (const Case& c : {Case{-13, 4, "SD:01234"}, Case{30, 4, "AV:56789"}, Case{2, -7, "NG:-0001"},
                        Case{2, 22, "OK:99999"}, Case{-60, 40, "TM:00000"}}) {
    canvas.Resize(QSize(1, 1));
    canvas.Resize(size);
    canvas.DrawCell(c.x, c.y, c.text, 1);
    QImage expected(size, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
      QPainter painter(&expected);
      const QRect clip = TextBox(c.x, c.y, static_cast<int>(qstrlen(c.text)));
      painter.setClipRect(clip);
      painter.setFont(font);
      painter.setPen(QColor(0xFF, 0, 0));
      painter.drawText(clip.translated(inset, 0), Qt::AlignLeft | Qt::AlignTop,
                       QString::fromLatin1(c.text));
    }
    EXPECT_EQ(canvas.Snapshot(), expected) << c.text << " at " << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace tessaro::testing
