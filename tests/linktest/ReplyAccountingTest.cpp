// Echoes, terminal data and the base's reports, in both link modes.

#include <cstdint>
#include <string>
#include <vector>

#include "linktest/LinkTestFixture.h"

namespace tessaro::testing {
namespace {

class ActiveEchoTest : public LinkTestFixture {
 protected:
  ActiveEchoTest() {
    List(1, {5});
    linkTest.ToggleTestRun();
    TakeWrites();
    TakeCells();
  }
};

TEST_F(ActiveEchoTest, GoodEchoCountsMeasuresAndSendsTheNextPacket) {
  clock.Advance(37);
  Data(Echo(1, 5, 1));
  EXPECT_EQ(TakeCells(), (std::vector<CellCall>{{'T', 14, 5, "OK:00001", kBlue},
                                                {'T', 44, 5, "TM:00037", kRed},
                                                {'T', 58, 5, "AV:00037", kRed},
                                                {'T', 0, 5, "SD:00002", kBlue}}));
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{Packet(5, 2)});
  EXPECT_EQ(Stats().replyTime[5], 37);
  EXPECT_EQ(Stats().replyTimeSum[5], 37);
  EXPECT_EQ(Stats().state[5], ReplyState::kIdle);
}

TEST_F(ActiveEchoTest, EchoesThatDoNotMatchTheLastPacketAreDropped) {
  Data(Echo(1, 5, 1));
  TakeWrites();
  TakeCells();
  const TerminalStats before = Stats();
  for (const std::string& bad : {
           Echo(1, 5, 1),                 // the previous sequence
           Echo(1, 5, 3),                 // a future one
           Echo(1, 5, 2, "012345678"),    // truncated payload
           Echo(1, 5, 2, "0123456789A"),  // one character too many
           Echo(1, 5, 2, "0123456X89"),   // corrupted
           std::string("@DT01050002\r"),  // no payload at all
           std::string("@DT0105\r"),      // no data
       }) {
    Data(bad);
  }
  EXPECT_TRUE(port.writes.empty());
  EXPECT_TRUE(display.cells.empty());
  EXPECT_EQ(Stats().okDpCount[5], before.okDpCount[5]);
  EXPECT_EQ(Stats().state[5], before.state[5]);
}

TEST_F(ActiveEchoTest, MalformedMessagesAreDiscardedBeforeAnythingIsTouched) {
  for (const std::string& bad : {
           std::string("@DT\r"),
           std::string("@DT01\r"),
           std::string("@DT0105"),
           std::string("@DT010"),
           std::string("@DTx1050001012345678\r"),
           std::string("@DT01+50001012345678\r"),
           std::string("@DT00050001012345678\r"),
           std::string("@DT17050001012345678\r"),
           std::string("@DT01000001012345678\r"),
           std::string(400, '9'),
       }) {
    Data(bad);
  }
  linkTest.AccountDataMessage("@DT01050001", 0);
  linkTest.AccountOkReport(0);
  linkTest.AccountOkReport(100);
  linkTest.AccountNgReport(-1);
  EXPECT_TRUE(port.writes.empty());
  EXPECT_TRUE(display.cells.empty());
}

TEST_F(ActiveEchoTest, EchoBeforeAnyPacketIsNeverGood) {
  // Terminal 8 was never sent a packet: an echo carrying 0000 must not count.
  List(1, {5, 8});
  Data(Echo(1, 8, 0));
  EXPECT_EQ(Stats().okDpCount[8], 0);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(ActiveEchoTest, EchoThroughABaseThatDoesNotListTheTerminalSendsNothing) {
  List(2, {});
  Data(Echo(2, 5, 1));
  EXPECT_EQ(Stats().okDpCount[5], 1);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(ActiveEchoTest, ReplyTimesAreClippedAndAveraged) {
  clock.Advance(100000);  // 100 s
  Data(Echo(1, 5, 1));
  EXPECT_EQ(Stats().replyTime[5], 99999);
  EXPECT_EQ(Stats().replyTimeSum[5], 99999);

  linkTest.ResetTestCounters(false);
  linkTest.SendTestPacket(5);
  for (std::uint32_t ms : {100u, 100u, 50u}) {
    clock.Advance(ms);
    Data(Echo(1, 5, Stats().sequence[5]));
  }
  EXPECT_EQ(Stats().average[5], 83);                                    // 250 / 3, truncated
  EXPECT_EQ(display.cells[display.cells.size() - 2].text, "AV:00083");  // before the next SD
}

TEST_F(ActiveEchoTest, OkCountWrapsToOneAndTheAverageStaysTheMeanOfTheRun) {
  // After 99998 echoes of 200 ms each.
  test.stats.okDpCount[5] = 99998;
  test.stats.replyCount[5] = 99998;
  test.stats.replyTimeSum[5] = std::int64_t{99998} * 200;
  clock.Advance(200);
  Data(Echo(1, 5, 1));
  EXPECT_EQ(Stats().okDpCount[5], 1);
  EXPECT_EQ(Stats().average[5], 200);
  EXPECT_EQ(Stats().replyTimeSum[5], std::int64_t{99999} * 200);
}

TEST_F(ActiveEchoTest, AverageNeverLeavesItsRangeWhateverTheSum) {
  // A sum far beyond 32 bits over a single count still shows a reply time.
  test.stats.replyCount[5] = 0;
  test.stats.replyTimeSum[5] = std::int64_t{1} << 40;
  Data(Echo(1, 5, 1));
  EXPECT_EQ(Stats().average[5], 99999);
}

TEST_F(ActiveEchoTest, ReportsOnlySetTheState) {
  linkTest.AccountOkReport(5);
  EXPECT_EQ(Stats().state[5], ReplyState::kAwaiting);
  linkTest.AccountNgReport(5);
  EXPECT_EQ(Stats().state[5], ReplyState::kRefused);
  EXPECT_EQ(Stats().ngCount[5], 0);
  EXPECT_TRUE(display.cells.empty());
}

class PassiveDataTest : public LinkTestFixture {
 protected:
  PassiveDataTest() {
    List(1, {5, 6});
    linkTest.ToggleLinkMode();
    TakeCells();
  }
};

TEST_F(PassiveDataTest, DataIsCountedAndEchoedWithoutTheBaseNumber) {
  Data("@DT0105HELLO\r");
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{"@DT05HELLO\r"});
  EXPECT_EQ(TakeCells(), (std::vector<CellCall>{{'T', 0, 5, "RE:00001", kBlue},
                                                {'T', 14, 5, "DP:00000", kBlue}}));
  EXPECT_EQ(Stats().state[5], ReplyState::kAwaiting);
  EXPECT_EQ(Stats().sendTick[5], 1000u);
}

TEST_F(PassiveDataTest, OnlyAnImmediateRepeatFromTheSameTerminalIsADuplicate) {
  Data("@DT0105ABC\r");
  Data("@DT0105ABC\r");
  EXPECT_EQ(Stats().sdReCount[5], 2);
  EXPECT_EQ(Stats().okDpCount[5], 1);
  EXPECT_EQ(TakeWrites(), (std::vector<std::string>{"@DT05ABC\r", "@DT05ABC\r"}));

  Data("@DT0106ABC\r");  // another terminal in between
  Data("@DT0105ABC\r");
  EXPECT_EQ(Stats().okDpCount[5], 1);
  Data("@DT0205ABC\r");  // same data through another base
  EXPECT_EQ(Stats().okDpCount[5], 1);
  Data("@DT0205ABC\r");
  EXPECT_EQ(Stats().okDpCount[5], 2);
  EXPECT_EQ(Stats().sdReCount[5], 5);
}

TEST_F(PassiveDataTest, FirstMessageAfterAResetIsNeverADuplicate) {
  Data("@DT0105ABC\r");
  linkTest.ResetTestCounters(true);
  Data("@DT0105ABC\r");
  EXPECT_EQ(Stats().okDpCount[5], 0);
}

TEST_F(PassiveDataTest, OkReportMeasuresOverTheReceivedCount) {
  test.stats.sdReCount[5] = 4;
  test.stats.replyCount[5] = 4;
  test.stats.replyTimeSum[5] = 300;
  test.stats.sendTick[5] = 1000;
  test.stats.state[5] = ReplyState::kAwaiting;
  clock.Advance(100);
  linkTest.AccountOkReport(5);
  EXPECT_EQ(Stats().average[5], 100);
  EXPECT_EQ(Stats().state[5], ReplyState::kIdle);
  EXPECT_EQ(TakeCells(), (std::vector<CellCall>{{'T', 44, 5, "TM:00100", kRed},
                                                {'T', 58, 5, "AV:00100", kRed}}));
}

TEST_F(PassiveDataTest, OkReportWithNothingReceivedSinceTheResetIsNotMeasured) {
  Data("@DT0105ABC\r");
  linkTest.ResetTestCounters(false);  // the echo is still outstanding
  TakeCells();
  clock.Advance(50);
  linkTest.AccountOkReport(5);
  EXPECT_EQ(Stats().average[5], 0);
  EXPECT_EQ(Stats().replyTime[5], 0);
  EXPECT_EQ(Stats().state[5], ReplyState::kIdle);
  EXPECT_TRUE(display.cells.empty());
}

TEST_F(PassiveDataTest, NgReportCountsWithWrapInRed) {
  Data("@DT0105ABC\r");
  TakeCells();
  test.stats.ngCount[5] = 99997;
  linkTest.AccountNgReport(5);
  linkTest.AccountNgReport(5);
  EXPECT_EQ(Stats().ngCount[5], 1);
  EXPECT_EQ(Stats().state[5], ReplyState::kIdle);
  EXPECT_EQ(TakeCells(), (std::vector<CellCall>{{'T', 28, 5, "NG:99998", kRed},
                                                {'T', 28, 5, "NG:00001", kRed}}));
}

TEST_F(PassiveDataTest, ReceivedAndDuplicateCountsWrapAt99998) {
  test.stats.sdReCount[5] = 99998;
  Data("@DT0105ABC\r");
  EXPECT_EQ(Stats().sdReCount[5], 1);
  test.stats.okDpCount[5] = 99998;
  Data("@DT0105ABC\r");
  EXPECT_EQ(Stats().okDpCount[5], 1);
}

TEST_F(PassiveDataTest, DataWithoutPayloadIsStillCountedAndEchoed) {
  Data("@DT0105\r");
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{"@DT05\r"});
  EXPECT_EQ(Stats().sdReCount[5], 1);
}

TEST_F(PassiveDataTest, LongestAssembledMessageIsEchoedWhole) {
  std::string m = "@DT0105" + std::string(243, 'Q') + "\r";  // 251 characters
  Data(m);
  EXPECT_EQ(TakeWrites().at(0), "@DT05" + std::string(243, 'Q') + "\r");
  Data(m);
  EXPECT_EQ(Stats().okDpCount[5], 1);
}

}  // namespace
}  // namespace tessaro::testing
