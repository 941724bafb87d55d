// The statistics kept beside the view's counters: true totals, the spread of
// the reply times, loss runs and the per-second series.

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "linktest/LinkTestFixture.h"

namespace tessaro::testing {
namespace {

class StatisticsTest : public LinkTestFixture {
 protected:
  // The echo of terminal 5's outstanding packet after `ms`.
  void EchoAfter(std::uint32_t ms) {
    clock.Advance(ms);
    Data(Echo(1, 5, Stats().sequence[5]));
  }
  // The outstanding packet reported and timed out.
  void LoseOne() {
    linkTest.AccountOkReport(5);
    clock.Advance(2201);
    linkTest.SuperviseTick();
  }
  const TerminalStatistics& Of(int t) const { return test.statistics.terminal[t]; }
  SecondSample Second(std::uint32_t s) const {
    SecondSample sample;
    EXPECT_TRUE(SampleAt(Of(5), s, sample)) << "second " << s;
    return sample;
  }
};

TEST_F(StatisticsTest, ActiveRepliesAndTimeOutsGiveSpreadLossRunsAndTheSeries) {
  Start(1000);
  EchoAfter(100);
  EchoAfter(100);
  EchoAfter(50);   // 1250 ms after START: second 0
  LoseOne();       // found at 3451: second 2
  LoseOne();       // 5652: second 4
  EchoAfter(700);  // 6352: second 5
  LoseOne();

  const TerminalStatistics& s = Of(5);
  EXPECT_EQ(s.sent, 8);
  EXPECT_EQ(s.good, 4);
  EXPECT_EQ(s.lost, 3);
  EXPECT_EQ(Outstanding(s), 1);
  EXPECT_EQ(s.replyTimeMin, 50);
  EXPECT_EQ(s.replyTimeMax, 700);
  EXPECT_DOUBLE_EQ(MeanReplyTime(s), 237.5);
  // 100, 100, 50, 700: variance 71718.75.
  EXPECT_NEAR(ReplyTimeDeviation(s), std::sqrt(71718.75), 1e-9);
  EXPECT_EQ(s.longestLossRun, 2);
  EXPECT_EQ(s.lossRun, 1);
  EXPECT_NEAR(LossPercent(false, s.sent, s.good, s.lost), 300.0 / 7, 1e-9);

  const SecondSample first = Second(0);
  EXPECT_EQ(first.sent, 4u);
  EXPECT_EQ(first.good, 3u);
  EXPECT_EQ(first.replyTimeSum, 250u);
  EXPECT_EQ(Second(1).sent, 0u);  // skipped seconds count zero
  EXPECT_EQ(Second(2).lost, 1u);
  EXPECT_EQ(Second(4).lost, 1u);
  EXPECT_EQ(Second(5).good, 1u);
  EXPECT_EQ(Second(7).lost, 1u);
  EXPECT_EQ(Second(500).sent, 0u);  // after the newest second: nothing happened yet
}

// What the run's figures make of packets the view cannot settle: the view
// keeps its counts (no NG for a packet that drew no report, a repeated echo
// counted OK), the figures never call a dead link good nor count more good
// echoes than packets sent.
TEST_F(StatisticsTest, UnansweredAndRepeatedEchoesKeepTheFiguresTrue) {
  struct Case {
    const char* name;
    std::function<void()> events;
    std::int64_t sent, good, lost, unanswered, duplicates;
    std::int32_t viewOk, viewNg;
  };
  const std::vector<Case> cases = {
      {"no echo and no report past the time-out: unanswered once, never NG",
       [&] {
         clock.Advance(2201);
         linkTest.SuperviseTick();
         clock.Advance(5000);
         linkTest.SuperviseTick();
       },
       1, 0, 0, 1, 0, 0, 0},
      {"within the time-out nothing is counted yet",
       [&] {
         clock.Advance(2200);
         linkTest.SuperviseTick();
       },
       1, 0, 0, 0, 0, 0, 0},
      {"a late echo of an unanswered packet makes it good",
       [&] {
         clock.Advance(2201);
         linkTest.SuperviseTick();
         EchoAfter(3000);
       },
       2, 1, 0, 0, 0, 1, 0},
      {"an echo repeated after STOP is a duplicate, not a second good one",
       [&] {
         EchoAfter(40);
         linkTest.ToggleTestRun();  // STOP: no next packet, the sequence stays
         EchoAfter(40);
         EchoAfter(40);
       },
       2, 2, 0, 0, 1, 3, 0},
      {"the echo of the packet before the last one, during the run, is a duplicate",
       [&] {
         EchoAfter(40);
         clock.Advance(5);
         Data(Echo(1, 5, Stats().sequence[5] - 1));
       },
       2, 1, 0, 0, 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    linkTest.ResetTestCounters(false);
    test.testRun = TestRun::Stopped;
    Start(1000);
    c.events();
    const TerminalStatistics& s = Of(5);
    EXPECT_EQ(s.sent, c.sent);
    EXPECT_EQ(s.good, c.good);
    EXPECT_EQ(s.lost, c.lost);
    EXPECT_EQ(s.unanswered, c.unanswered);
    EXPECT_EQ(s.duplicates, c.duplicates);
    EXPECT_EQ(Stats().okDpCount[5], c.viewOk);
    EXPECT_EQ(Stats().ngCount[5], c.viewNg);
    if (c.unanswered > 0) {
      EXPECT_DOUBLE_EQ(FiguresOf(s, false).lossPercent, 100.0);
    }
  }
}

TEST_F(StatisticsTest, TotalsGoOnWhereTheViewsCountersWrap) {
  Start(0);
  for (int i = 0; i < 100000; ++i) {
    EchoAfter(1);
    if (i % 1000 == 0) {
      TakeCells();
      TakeWrites();
    }
  }
  // The view: OK wraps after 99998, SD after 99999.
  EXPECT_EQ(Stats().okDpCount[5], 2);
  EXPECT_EQ(Stats().sdReCount[5], 2);
  EXPECT_EQ(Of(5).good, 100000);
  EXPECT_EQ(Of(5).sent, 100001);
  EXPECT_EQ(Outstanding(Of(5)), 1);
  EXPECT_DOUBLE_EQ(MeanReplyTime(Of(5)), 1.0);
  EXPECT_EQ(ReplyTimeDeviation(Of(5)), 0.0);

  // 100 s of replies: the ring holds the last 120 seconds only.
  clock.Advance(30000);
  EchoAfter(1);
  SecondSample gone;
  EXPECT_FALSE(SampleAt(Of(5), 10, gone));
  EXPECT_EQ(Second(11).good, 1000u);
  EXPECT_EQ(Second(110).good, 0u);
  EXPECT_EQ(Second(130).good, 1u);
}

TEST_F(StatisticsTest, PassiveCountsReceivedDuplicatesAndRefusedEchoes) {
  clock.now = 0;
  linkTest.ToggleLinkMode();
  const std::string m = Echo(1, 5, 1);
  Data(m);
  Data(m);  // a duplicate
  clock.Advance(40);
  linkTest.AccountOkReport(5);
  linkTest.AccountNgReport(5);
  linkTest.AccountNgReport(5);
  clock.Advance(1000);
  Data(Echo(1, 5, 2));
  clock.Advance(60);
  linkTest.AccountOkReport(5);

  const TerminalStatistics& s = Of(5);
  EXPECT_EQ(s.sent, 3);
  EXPECT_EQ(s.duplicates, 1);
  EXPECT_EQ(s.good, 2);
  EXPECT_EQ(s.lost, 2);
  EXPECT_EQ(s.longestLossRun, 2);
  EXPECT_EQ(s.lossRun, 0);
  EXPECT_EQ(s.replyTimeMin, 40);
  EXPECT_EQ(s.replyTimeMax, 60);
  EXPECT_NEAR(LossPercent(true, s.sent, s.good, s.lost), 200.0 / 3, 1e-9);
  EXPECT_EQ(Second(0).lost, 2u);
  EXPECT_EQ(Second(1).sent, 1u);

  // A mode change starts everything again.
  linkTest.ToggleLinkMode();
  EXPECT_EQ(Of(5).sent, 0);
  EXPECT_EQ(Of(5).longestLossRun, 0);
  EXPECT_EQ(test.statistics.startTick, clock.now);
}

}  // namespace
}  // namespace tessaro::testing
