// START, STOP, the mode button and Close during a running test, over a real
// pty: what the buttons show, what the counters keep and what the line carries.

#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "support/EngineTestAccess.h"

namespace tessaro::e2e {
namespace {

class TestControlsTest : public EngineOnSimulator {
 protected:
  void SetUp() override {
    sim::Scenario scenario = Network({{1, 2}, {11}});
    scenario.delay = {10, 30};
    Start(scenario);
    OpenAndDiscover(3);
  }

  int TestPacketsOnTheLine(std::size_t from) {
    int n = 0;
    for (const std::string& m : simulator->Received(from)) n += m.rfind("@DT", 0) == 0;
    return n;
  }

  // Waits until the line has been quiet for a while: every echo in flight
  // has arrived and been counted.
  void WaitForQuietLine() {
    std::size_t last = simulator->ReceivedCount();
    int quietTurns = 0;
    ASSERT_TRUE(WaitFor([&] {
      const std::size_t now = simulator->ReceivedCount();
      quietTurns = now == last ? quietTurns + 1 : 0;
      last = now;
      return quietTurns >= 15;  // 300 ms without a message from the PC
    }));
  }
};

TEST_F(TestControlsTest, StopKeepsCountersAndSendsNoMorePackets) {
  engine->ToggleTestRun();
  EXPECT_STREQ(display.Buttons().runText, "STOP");
  EXPECT_FALSE(display.Buttons().modeEnabled);
  EXPECT_TRUE(display.TimerRunning());
  Run(1000);

  engine->ToggleTestRun();  // STOP
  EXPECT_STREQ(display.Buttons().runText, "START");
  EXPECT_TRUE(display.Buttons().modeEnabled);
  EXPECT_FALSE(display.TimerRunning());
  WaitForQuietLine();
  const TerminalStats stopped = Stats();
  const std::size_t mark = simulator->ReceivedCount();
  EXPECT_GT(stopped.okDpCount[1], 0);

  // Nothing more goes out and nothing is cleared.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(TestPacketsOnTheLine(mark), 0);
  const TerminalStats later = Stats();
  for (int t : {1, 2, 11}) {
    EXPECT_EQ(later.sdReCount[t], stopped.sdReCount[t]);
    EXPECT_EQ(later.okDpCount[t], stopped.okDpCount[t]);
  }

  // START again clears the counters and begins each terminal at sequence 0001.
  engine->ToggleTestRun();
  ASSERT_TRUE(WaitFor([&] { return TestPacketsOnTheLine(mark) >= 3; }));
  const std::vector<std::string> first = simulator->Received(mark);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(first[i].substr(5, 4), "0001") << first[i];
  Run(500);
  engine->ToggleTestRun();
  WaitForQuietLine();
  // Counted from zero again: SD is the packets sent since this START.
  const TerminalStats restarted = Stats();
  for (int t : {1, 2, 11}) {
    int sent = 0;
    for (const std::string& m : simulator->Received(mark)) {
      sent += m.rfind("@DT", 0) == 0 && std::stoi(m.substr(3, 2)) == t;
    }
    EXPECT_EQ(restarted.sdReCount[t], sent) << "terminal " << t;
  }
}

TEST_F(TestControlsTest, ModeChangeClearsCountersAndOnlyActiveCanStart) {
  engine->ToggleTestRun();
  Run(500);
  engine->ToggleLinkMode();  // refused while the test runs
  {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    EXPECT_EQ(EngineTestAccess::Test(*engine).linkMode, kActive);
  }
  engine->ToggleTestRun();  // STOP
  WaitForQuietLine();
  EXPECT_GT(Stats().sdReCount[1], 0);

  engine->ToggleLinkMode();
  EXPECT_STREQ(display.Buttons().modeText, "PASSIVE");
  EXPECT_FALSE(display.Buttons().runEnabled);
  for (int t : {1, 2, 11}) {
    EXPECT_EQ(Stats().sdReCount[t], 0);
    EXPECT_EQ(Stats().okDpCount[t], 0);
  }
  const std::size_t mark = simulator->ReceivedCount();
  engine->ToggleTestRun();  // START is not offered in PASSIVE mode
  EXPECT_FALSE(display.TimerRunning());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(TestPacketsOnTheLine(mark), 0);

  engine->ToggleLinkMode();
  EXPECT_STREQ(display.Buttons().modeText, "ACTIVE");
  EXPECT_TRUE(display.Buttons().runEnabled);
}

TEST_F(TestControlsTest, CloseDuringARunStopsTheTestAndDisablesTheButtons) {
  engine->ToggleTestRun();
  Run(1000);
  engine->Close();

  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_FALSE(display.TimerRunning());
  const ButtonState buttons = display.Buttons();
  EXPECT_STREQ(buttons.runText, "START");
  EXPECT_FALSE(buttons.modeEnabled);
  EXPECT_FALSE(buttons.runEnabled);
  {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    EXPECT_EQ(EngineTestAccess::Test(*engine).testRun, TestRun::Stopped);
  }
  // The counters stay as they were; the line is let go.
  const TerminalStats closed = Stats();
  EXPECT_GT(closed.sdReCount[1], 0);
  ASSERT_TRUE(WaitFor([&] { return !simulator->LineHeld(); }));

  // A tick that was already due does nothing now.
  engine->SuperviseTick();
  EXPECT_EQ(Stats().ngCount[1], closed.ngCount[1]);

  // Open again: connected, the test can be started anew.
  ASSERT_TRUE(engine->Open());
  EXPECT_TRUE(display.Buttons().modeEnabled);
  EXPECT_TRUE(display.Buttons().runEnabled);
  EXPECT_EQ(Stats().sdReCount[1], closed.sdReCount[1]);
}

}  // namespace
}  // namespace tessaro::e2e
