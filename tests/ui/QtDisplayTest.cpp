#include <atomic>
#include <string>
#include <thread>

#include "WindowFixture.h"
#include "app/front/TopologyLayout.h"
#include "support/EngineTestAccess.h"

namespace tessaro::testing {
namespace {

using QtDisplayTest = WindowFixture;

TEST_F(QtDisplayTest, PaneFloodFromAnotherThreadLeavesOneQueuedCallAndTheLastText) {
  // The window thread is busy (not turning its loop) while the flood runs.
  std::thread reader([&] {
    char text[32];
    for (int i = 0; i < 50000; ++i) {
      std::snprintf(text, sizeof text, "@DT0105%05d\r", i);
      display.SetPaneText(1, text);
      display.SetPaneText(0, "@OK05\r");
    }
  });
  reader.join();
  EXPECT_LE(display.QueuedCalls(), 1);
  ASSERT_TRUE(WaitFor([&] { return Pane(1) == QStringLiteral("@DT010549999\r"); }));
  EXPECT_EQ(Pane(0), QStringLiteral("@OK05\r"));
  EXPECT_EQ(display.QueuedCalls(), 0);
}

TEST_F(QtDisplayTest, CellsFromAnotherThreadAreDrawnAtOnceAndUpdatesMerged) {
  engine->Feed("@BS0111\r@TM0102\r", 16);
  {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    ASSERT_TRUE(EngineTestAccess::Registry(*engine).IsTerminalPresent(1, 2));
  }
  int ngX = 0, ngY = 0, tmX = 0, tmY = 0;
  ASSERT_TRUE(CellPosition(EngineTestAccess::Registry(*engine), 'T', 28, 2, &ngX, &ngY));
  ASSERT_TRUE(CellPosition(EngineTestAccess::Registry(*engine), 'T', 44, 2, &tmX, &tmY));
  std::thread reader([&] {
    for (int i = 0; i < 2000; ++i) {
      std::scoped_lock lock(EngineTestAccess::Lock(*engine));  // as every dispatch holds it
      display.DrawCellAt(ngX, ngY, "NG:00009", 1);
      display.DrawCellAt(tmX, tmY, "TM:00123", 1);
      display.InvalidateTopology();
    }
  });
  reader.join();
  // Drawn before the window thread ran a single queued call.
  const QImage canvas = Canvas();
  int red = 0;
  for (int y = 48; y < 64; ++y) {
    for (int x = 186; x < 186 + 48; ++x) red += canvas.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
  }
  EXPECT_GT(red, 20);
  // One call for the cells and one for the repaint, whatever the count.
  EXPECT_LE(display.QueuedCalls(), 2);
  ASSERT_TRUE(WaitFor([&] { return display.QueuedCalls() == 0; }));
}

TEST_F(QtDisplayTest, RepaintRequestUnderTheEngineLockDoesNotWait) {
  // A dispatch holds the engine lock while it asks for a repaint; the
  // repaint needs that lock, so it must run later, not now.
  std::atomic<bool> returned{false};
  std::thread reader([&] {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    display.InvalidateView();
    display.InvalidateTopology();
    returned = true;
  });
  reader.join();
  EXPECT_TRUE(returned);
  {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    display.InvalidateView();  // the window thread itself, lock held
  }
  ASSERT_TRUE(WaitFor([&] { return display.QueuedCalls() == 0; }));
}

TEST_F(QtDisplayTest, WindowThreadOnlyCallsFromElsewhereAreHandedOver) {
  std::thread other([&] {
    ButtonState state;
    state.modeEnabled = true;
    state.modeText = "PASSIVE";
    display.SetButtons(state);
    display.SetSupervisionTimer(true);
  });
  other.join();
  ASSERT_TRUE(WaitFor([&] { return View().ModeButton()->isEnabled(); }));
  EXPECT_EQ(View().ModeButton()->text(), QStringLiteral("PASSIVE"));
  EXPECT_TRUE(View().SupervisionTimerActive());
  display.SetSupervisionTimer(false);
  EXPECT_FALSE(View().SupervisionTimerActive());
}

TEST_F(QtDisplayTest, CellsOffScreenAreNotDrawn) {
  const QImage before = Canvas();
  std::scoped_lock lock(EngineTestAccess::Lock(*engine));
  const StationRegistry& registry = EngineTestAccess::Registry(*engine);
  CellSink& cells = display;
  cells.CounterChanged(registry, 42, Counter::Sent, 1, kBlue);         // no base lists it
  cells.BasePropertyChanged(registry, 9, BaseProperty::Channel, '1');  // not present
  EXPECT_EQ(Canvas(), before);
}

}  // namespace
}  // namespace tessaro::testing
