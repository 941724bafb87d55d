// The supervision tick: the time-out rule on a manual clock.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "linktest/LinkTestFixture.h"

namespace tessaro::testing {
namespace {

class SupervisionTest : public LinkTestFixture {
 protected:
  void Start(std::uint32_t at) {
    clock.now = at;
    List(1, {5});
    linkTest.ToggleTestRun();
    TakeWrites();
    TakeCells();
  }
};

TEST_F(SupervisionTest, DefaultTimeOutLosesAPacketAfter2200Ms) {
  Start(1000);
  linkTest.AccountOkReport(5);  // the base relayed it; the echo never comes
  clock.Advance(2200);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 0);
  EXPECT_EQ(Stats().replyTime[5], 2200);  // shown by a repaint while outstanding
  EXPECT_TRUE(port.writes.empty());

  clock.Advance(1);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 1);
  EXPECT_EQ(TakeCells(), (std::vector<CellCall>{{'T', 28, 5, "NG:00001", kBlack},
                                                {'T', 0, 5, "SD:00002", kBlue}}));
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{Packet(5, 2)});
  EXPECT_EQ(Stats().state[5], ReplyState::kIdle);

  // The replacement is not supervised until the base reports on it.
  clock.Advance(10000);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 1);
}

TEST_F(SupervisionTest, EveryReportStateIsSupervised) {
  Start(1000);
  for (int report = 0; report < 3; ++report) {
    if (report == 0) linkTest.AccountOkReport(5);
    if (report == 1) linkTest.AccountNgReport(5);
    if (report == 2) test.stats.state[5] = ReplyState::kHeld;  // "@WT"
    clock.Advance(2201);
    linkTest.SuperviseTick();
    EXPECT_EQ(Stats().ngCount[5], report + 1);
  }
}

TEST_F(SupervisionTest, TimeOutOfZeroLosesThePacketAtTheFirstTickAfterTheReport) {
  criteria.timeoutSeconds = 0;
  Start(1000);
  linkTest.SuperviseTick();  // no report yet
  EXPECT_EQ(Stats().ngCount[5], 0);
  linkTest.AccountOkReport(5);
  clock.Advance(500);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 1);
}

TEST_F(SupervisionTest, TickCountWrapsPast2To32) {
  Start(0xFFFFF800u);  // 2048 ms before the count wraps
  linkTest.AccountOkReport(5);
  clock.Advance(2100);  // now 52
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 0);
  EXPECT_EQ(Stats().replyTime[5], 2100);
  clock.Advance(101);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 1);

  // A good echo measured across the wrap.
  linkTest.ToggleTestRun();  // STOP
  Start(0xFFFFFFF0u);
  clock.Advance(0x30);
  Data(Echo(1, 5, 1));
  EXPECT_EQ(Stats().replyTime[5], 0x30);
}

TEST_F(SupervisionTest, TimeOutCountDoesNotWrap) {
  Start(1000);
  test.stats.ngCount[5] = 99999;
  linkTest.AccountOkReport(5);
  clock.Advance(3000);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 100000);
  EXPECT_EQ(TakeCells().at(0).text, "NG:100000");
}

TEST_F(SupervisionTest, TerminalUnderTwoBasesIsCountedOncePerTick) {
  List(2, {5});
  Start(1000);
  TakeWrites();
  linkTest.AccountOkReport(5);
  clock.Advance(5000);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 1);
  EXPECT_EQ(TakeWrites().size(), 1u);
}

TEST_F(SupervisionTest, TickAfterStopChangesNothing) {
  Start(1000);
  linkTest.AccountOkReport(5);
  linkTest.ToggleTestRun();  // STOP
  clock.Advance(5000);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 0);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(SupervisionTest, HugeTimeOutFromTheCriteriaDoesNotOverflow) {
  criteria.timeoutSeconds = std::numeric_limits<std::int32_t>::max();
  Start(1000);
  linkTest.AccountOkReport(5);
  clock.Advance(0x7FFFFFFFu);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 0);
}

}  // namespace
}  // namespace tessaro::testing
