// Test packets, START/STOP, the mode button and the counter reset.

#include <string>
#include <vector>

#include "linktest/LinkTestFixture.h"

namespace tessaro::testing {
namespace {

using SendingTest = LinkTestFixture;

TEST_F(SendingTest, StartSendsTheFirstPacketToEveryListedTerminalInBaseOrder) {
  List(3, {2});
  List(1, {9, 5});
  linkTest.ToggleTestRun();

  EXPECT_EQ(TakeWrites(), (std::vector<std::string>{Packet(5, 1), Packet(9, 1), Packet(2, 1)}));
  EXPECT_EQ(test.testRun, TestRun::Running);
  EXPECT_EQ(display.timerCalls, std::vector<bool>{true});
  EXPECT_STREQ(display.buttons.runText, "STOP");
  EXPECT_TRUE(display.buttons.runEnabled);
  EXPECT_FALSE(display.buttons.modeEnabled);
  for (int t : {2, 5, 9}) {
    EXPECT_EQ(Stats().started[t], 1);
    EXPECT_EQ(Stats().sequence[t], 1);
    EXPECT_EQ(Stats().sdReCount[t], 1);
    EXPECT_EQ(Stats().state[t], ReplyState::kIdle);
    EXPECT_EQ(Stats().sendTick[t], 1000u);
  }
  // The reset draws every cell as zeros first, then each send draws its SD.
  const std::vector<CellCall> cells = TakeCells();
  ASSERT_EQ(cells.size(), 3u * 5 + 3);
  EXPECT_EQ(cells[15], (CellCall{'T', 0, 5, "SD:00001", kBlue}));
  EXPECT_EQ(cells[17], (CellCall{'T', 0, 2, "SD:00001", kBlue}));
}

TEST_F(SendingTest, PacketLengthFollowsTheDataLength) {
  List(1, {4});
  struct Case {
    int dataLength;
    std::size_t size;
  };
  for (Case c : {Case{15, 20}, Case{6, 11}, Case{5, 10}, Case{1, 10}, Case{0, 10}, Case{-3, 10},
                 Case{300, 305}}) {
    criteria.dataLength = c.dataLength;
    linkTest.SendTestPacket(4);
    const std::string packet = TakeWrites().at(0);
    EXPECT_EQ(packet.size(), c.size) << "data length " << c.dataLength;
    EXPECT_EQ(packet.substr(0, 5), "@DT04");
    EXPECT_EQ(packet.back(), '\r');
  }
  // 295 payload characters: the 36-character cycle eight times, then 0..6.
  criteria.dataLength = 300;
  linkTest.SendTestPacket(4);
  const std::string payload = TakeWrites().at(0).substr(9, 295);
  const std::string cycle = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string expected;
  for (int i = 0; i < 8; ++i) expected += cycle;
  expected += "0123456";
  EXPECT_EQ(payload, expected);
}

TEST_F(SendingTest, SequenceAndSendCountWrapBackToOne) {
  List(1, {7});
  test.stats.sequence[7] = 9998;
  test.stats.sdReCount[7] = 99998;
  linkTest.SendTestPacket(7);
  EXPECT_EQ(TakeWrites().at(0).substr(5, 4), "9999");
  EXPECT_EQ(Stats().sdReCount[7], 99999);
  linkTest.SendTestPacket(7);
  EXPECT_EQ(TakeWrites().at(0).substr(5, 4), "0001");
  EXPECT_EQ(Stats().sdReCount[7], 1);
  const std::vector<CellCall> cells = TakeCells();
  EXPECT_EQ(cells[0].text, "SD:99999");
  EXPECT_EQ(cells[1].text, "SD:00001");
}

// A writer that takes time, as a full line does.
class SlowPort : public PortWriter {
 public:
  explicit SlowPort(ManualClock& clock) : clock_(clock) {}
  void Write(const char*, std::size_t) override { clock_.Advance(40); }

 private:
  ManualClock& clock_;
};

TEST_F(SendingTest, SendTickIsTakenAfterTheWriteReturns) {
  SlowPort slow(clock);
  LinkTest slowTest(test, criteria, registry, slow, display, clock);
  slowTest.SendTestPacket(3);
  EXPECT_EQ(Stats().sendTick[3], 1040u);
}

TEST_F(SendingTest, TerminalUnderTwoBasesGetsTwoPacketsAndOnlyTheSecondEchoIsGood) {
  List(1, {6});
  List(2, {6});
  linkTest.ToggleTestRun();
  EXPECT_EQ(TakeWrites(), (std::vector<std::string>{Packet(6, 1), Packet(6, 2)}));
  Data(Echo(1, 6, 1));
  EXPECT_EQ(Stats().okDpCount[6], 0);
  Data(Echo(1, 6, 2));
  EXPECT_EQ(Stats().okDpCount[6], 1);
}

TEST_F(SendingTest, StartWithNoTerminalOnlyClearsAndStartsTheTimer) {
  test.stats.ngCount[4] = 12;
  linkTest.ToggleTestRun();
  EXPECT_TRUE(port.writes.empty());
  EXPECT_TRUE(display.timerRunning);
  EXPECT_EQ(Stats().ngCount[4], 0);
}

TEST_F(SendingTest, StopKeepsTheCountersAndTheNextStartClearsThem) {
  List(1, {5});
  linkTest.ToggleTestRun();
  Data(Echo(1, 5, 1));
  TakeWrites();
  TakeCells();
  linkTest.ToggleTestRun();  // STOP

  EXPECT_EQ(test.testRun, TestRun::Stopped);
  EXPECT_EQ(display.timerCalls, (std::vector<bool>{true, false}));
  EXPECT_STREQ(display.buttons.runText, "START");
  EXPECT_TRUE(display.buttons.modeEnabled);
  EXPECT_TRUE(display.buttons.runEnabled);
  EXPECT_TRUE(TakeCells().empty());
  EXPECT_EQ(Stats().okDpCount[5], 1);
  EXPECT_EQ(Stats().sdReCount[5], 2);

  // An echo that comes after STOP is still counted, but nothing more is sent.
  Data(Echo(1, 5, 2));
  EXPECT_EQ(Stats().okDpCount[5], 2);
  EXPECT_TRUE(port.writes.empty());

  linkTest.ToggleTestRun();  // START again
  EXPECT_EQ(Stats().okDpCount[5], 0);
  EXPECT_EQ(Stats().sequence[5], 1);
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{Packet(5, 1)});
}

TEST_F(SendingTest, ModeChangeClearsAndRedrawsWithTheNewLabels) {
  List(2, {3});
  test.stats.sdReCount[3] = 8;
  test.stats.replyTimeSum[3] = 800;
  linkTest.ToggleLinkMode();

  EXPECT_EQ(test.linkMode, kPassive);
  EXPECT_EQ(Stats().sdReCount[3], 0);
  EXPECT_EQ(Stats().replyTimeSum[3], 0);
  EXPECT_STREQ(display.buttons.modeText, "PASSIVE");
  EXPECT_TRUE(display.buttons.modeEnabled);
  EXPECT_FALSE(display.buttons.runEnabled);
  EXPECT_EQ(TakeCells(), (std::vector<CellCall>{{'T', 0, 3, "RE:00000", kBlue},
                                                {'T', 14, 3, "DP:00000", kBlue},
                                                {'T', 28, 3, "NG:00000", kBlue},
                                                {'T', 44, 3, "TM:00000", kRed},
                                                {'T', 58, 3, "AV:00000", kRed}}));

  // START is not reachable in PASSIVE mode.
  linkTest.ToggleTestRun();
  EXPECT_EQ(test.testRun, TestRun::Stopped);
  EXPECT_TRUE(display.timerCalls.empty());

  linkTest.ToggleLinkMode();
  EXPECT_EQ(test.linkMode, kActive);
  EXPECT_TRUE(display.buttons.runEnabled);
  EXPECT_EQ(TakeCells().at(0).text, "SD:00000");
}

TEST_F(SendingTest, ModeCannotChangeWhileATestRuns) {
  List(1, {1});
  linkTest.ToggleTestRun();
  linkTest.ToggleLinkMode();
  EXPECT_EQ(test.linkMode, kActive);
  EXPECT_EQ(Stats().sdReCount[1], 1);
}

TEST_F(SendingTest, ButtonsFollowThePortAndTheFlags) {
  ButtonState closed = linkTest.Buttons(false);
  EXPECT_FALSE(closed.modeEnabled);
  EXPECT_FALSE(closed.runEnabled);
  ButtonState open = linkTest.Buttons(true);
  EXPECT_TRUE(open.modeEnabled);
  EXPECT_TRUE(open.runEnabled);
  EXPECT_STREQ(open.modeText, "ACTIVE");
  EXPECT_STREQ(open.runText, "START");

  linkTest.ToggleTestRun();
  linkTest.StopRun();  // what Close does during a run
  EXPECT_EQ(test.testRun, TestRun::Stopped);
  EXPECT_FALSE(display.timerRunning);
  EXPECT_STREQ(linkTest.Buttons(false).runText, "START");
}

TEST_F(SendingTest, ResetWithoutRedrawDrawsNothing) {
  List(1, {1, 2});
  test.stats.okDpCount[2] = 5;
  linkTest.ResetTestCounters(false);
  EXPECT_EQ(Stats().okDpCount[2], 0);
  EXPECT_TRUE(display.cells.empty());
  linkTest.ResetTestCounters(true);
  EXPECT_EQ(display.cells.size(), 10u);
}

}  // namespace
}  // namespace tessaro::testing
