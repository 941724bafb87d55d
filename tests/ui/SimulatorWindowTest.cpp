// The window against the simulated network on a real pseudo-terminal: what
// the operator sees from Open to Close.

#include <QPushButton>
#include <cstdio>

#include "WindowFixture.h"
#include "sim/Simulator.h"
#include "support/EngineTestAccess.h"
#include "ui/TopologyCanvas.h"

namespace tessaro::testing {
namespace {

class SimulatorWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(network.Start(&error)) << error;
    UsePty(true, network.SlavePath());
  }
  bool Lists(int b, std::initializer_list<int> terminals) {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    for (int t : terminals) {
      if (!EngineTestAccess::Registry(*engine).IsTerminalPresent(b, t)) return false;
    }
    return true;
  }
  QImage Expected(const QString& text, int colourClass, const QRect& box) {
    TopologyCanvas reference;
    reference.Resize(Canvas().size());
    reference.DrawCell(box.left(), box.top(), text.toLatin1().constData(), colourClass);
    return reference.Snapshot().copy(box);
  }

  sim::Simulator network;  // bases 1, 2 and 5 with their terminals
};

TEST_F(SimulatorWindowTest, OpenDiscoversTheNetworkAndCloseLetsItGo) {
  frame->OnCommand(kCmdOpen);
  ASSERT_TRUE(engine->IsPortOpen());
  EXPECT_EQ(Pane(2).toStdString(), "COM1: 115200 bps, None");
  ASSERT_TRUE(WaitFor([&] {
    return Lists(1, {1, 2, 3, 4}) && Lists(2, {7, 8}) && Lists(5, {11, 12, 15});
  }));
  EXPECT_TRUE(WaitFor([&] { return !Pane(0).trimmed().isEmpty(); }));
  // Three rows; base 5's terminals in the third.
  const QImage terminal =
      QImage(QStringLiteral(":/pictures/terminal.xpm")).convertToFormat(QImage::Format_RGB32);
  ASSERT_TRUE(WaitFor([&] {
    const QImage canvas = Canvas();
    return canvas.pixel(154 + 84 * 2 + 16, 200 + 5 + 60) == terminal.pixel(16, 60) &&
           canvas.pixel(154 + 84 * 3 + 16, 5 + 60) == terminal.pixel(16, 60);
  }));

  frame->OnCommand(kCmdClose);
  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_TRUE(WaitFor([&] { return !network.LineHeld(); }));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Pane(i), QStringLiteral("  "));
}

TEST_F(SimulatorWindowTest, ActiveTestCountsEchoesIntoTheCells) {
  frame->OnCommand(kCmdOpen);
  ASSERT_TRUE(WaitFor([&] { return Lists(5, {11, 12, 15}) && Lists(1, {1, 2, 3, 4}); }));
  // Terminal 15's cell is drawn (third column of the third row).
  const QImage terminal =
      QImage(QStringLiteral(":/pictures/terminal.xpm")).convertToFormat(QImage::Format_RGB32);
  ASSERT_TRUE(WaitFor(
      [&] { return Canvas().pixel(154 + 84 * 2 + 16, 200 + 5 + 60) == terminal.pixel(16, 60); }));
  View().RunButton()->click();  // START
  ASSERT_TRUE(WaitFor([&] {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    return EngineTestAccess::Test(*engine).stats.okDpCount[15] >= 5;
  }));
  EXPECT_TRUE(Pane(1).startsWith(QStringLiteral("@DT")));
  View().RunButton()->click();  // STOP: echoes still on their way are counted

  // Terminal 15 is the third column of the third row.
  const int x = 186 + 84 * 2;
  const int y = 200 + 20;
  const int width = display.Canvas().CharWidth() * 8;
  const QRect okBox(x, y + 14, width, 16);
  const QRect sdBox(x, y, width, 16);
  std::int32_t ok = 0;
  std::int32_t sent = 0;
  // The cell catches up with the counters once the last echoes are in.
  EXPECT_TRUE(WaitFor([&] {
    {
      std::scoped_lock lock(EngineTestAccess::Lock(*engine));
      ok = EngineTestAccess::Test(*engine).stats.okDpCount[15];
      sent = EngineTestAccess::Test(*engine).stats.sdReCount[15];
    }
    return Canvas().copy(okBox) == Expected(QString::asprintf("OK:%05d", ok), 2, okBox) &&
           Canvas().copy(sdBox) == Expected(QString::asprintf("SD:%05d", sent), 2, sdBox);
  })) << "OK "
      << ok << ", SD " << sent;
  EXPECT_GE(sent, ok);
  frame->OnCommand(kCmdClose);
}

}  // namespace
}  // namespace tessaro::testing
