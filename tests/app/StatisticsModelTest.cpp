// The statistics window's rows, texts and series, without a display.

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "app/Engine.h"
#include "app/front/StatisticsModel.h"
#include "support/EngineTestAccess.h"
#include "support/Recorders.h"

namespace tessaro {
namespace {

class StatisticsModelTest : public ::testing::Test {
 protected:
  // Base 1 lists 2 and 7, base 5 lists 7; 9 is no longer listed but took
  // part.  Terminal 7: replies of 30, 40 and 50 ms, two losses in a row, and
  // one packet still out.
  void SetUp() override {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    StationRegistry& r = EngineTestAccess::Registry(engine);
    r.rows[1].present = 1;
    r.rows[1].terminal[2] = 1;
    r.rows[1].terminal[7] = 1;
    r.rows[5].present = 1;
    r.rows[5].terminal[7] = 1;
    r.rows[6].terminal[4] = 1;  // a base that is gone lists nothing
    LinkStatistics& s = Statistics();
    ResetStatistics(s, 0);
    NoteSent(s, 7, 100);
    NoteReply(s, 7, 130, 30);
    NoteSent(s, 7, 1100);
    NoteLoss(s, 7, 3200);
    NoteSent(s, 7, 3300);
    NoteLoss(s, 7, 5400);
    NoteSent(s, 7, 5500);
    NoteReply(s, 7, 5540, 40);
    NoteSent(s, 7, 5600);
    NoteReply(s, 7, 5650, 50);
    NoteSent(s, 7, 6000);
    NoteLoss(s, 9, 0);
  }
  LinkStatistics& Statistics() { return EngineTestAccess::Test(engine).statistics; }
  void SetMode(LinkMode mode) {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    EngineTestAccess::Test(engine).linkMode = mode;
  }

  testing::RecordingDisplay display;
  testing::ManualClock clock;
  testing::AbsentSerialPort port;
  Engine engine{display, clock, port};
  StatisticsModel model{engine};
};

TEST_F(StatisticsModelTest, RowsHoldEveryListedOrCountedTerminalWithTheFiguresOfItsMode) {
  struct Case {
    LinkMode mode;
    const char* header;  // the start of the link tool's CSV header
    const char* row7;    // terminal 7 under base 1 and again under base 5
    const char* sentCaption;
  };
  const Case cases[] = {
      {kActive, "base,terminal,sd,ok,ng,tm,av,loss_percent,sent,good,lost,duplicates,",
       "7,0,0,0,0,0,40.00,6,3,2,0,30,50,40.000,8.165,2,0", "Sent"},
      // PASSIVE: the share of the received messages whose echo was refused.
      {kPassive, "base,terminal,re,dp,ng,tm,av,loss_percent,received,good,lost,duplicates,",
       "7,0,0,0,0,0,33.33,6,3,2,0,30,50,40.000,8.165,2,0", "Received"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ModeButtonText(c.mode));
    SetMode(c.mode);
    model.Refresh();
    ASSERT_EQ(model.Rows().size(), 3u);
    EXPECT_EQ(model.Rows()[0].terminal, 2);
    EXPECT_EQ(model.Rows()[0].bases, "1");
    EXPECT_EQ(model.Rows()[1].bases, "1 5");
    EXPECT_EQ(model.Rows()[2].terminal, 9);
    EXPECT_EQ(model.Rows()[2].bases, "");
    EXPECT_STREQ(model.Caption(model.Columns()[2]), c.sentCaption);
    EXPECT_EQ(model.Cell(*model.RowOf(7), StatisticsColumn::kReplyDeviation), "8.2");
    // The export is the link tool's: a row per base that lists a terminal,
    // base 0 for one counted and no longer listed.
    const std::string csv = model.Csv();
    EXPECT_EQ(csv.rfind(c.header, 0), 0u) << csv;
    const std::string rows = csv.substr(csv.find('\n') + 1);
    EXPECT_EQ(rows.substr(0, 4), "1,2,");
    EXPECT_NE(rows.find(std::string("1,") + c.row7 + "\n5," + c.row7 + "\n0,9,"), std::string::npos)
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5);
  }
}

TEST_F(StatisticsModelTest, SeriesLeavesGapsKeepsTheWholeRunAndStartsAgainWithANewRun) {
  model.Refresh();
  std::vector<SeriesPoint> points = model.Series(7);
  ASSERT_EQ(points.size(), 7u);
  EXPECT_EQ(points[0].replyMs, 30.0);
  EXPECT_EQ(points[0].lossPercent, 0.0);
  EXPECT_FALSE(points[1].replyMs);  // a packet out, nothing settled
  EXPECT_FALSE(points[1].lossPercent);
  EXPECT_FALSE(points[2].lossPercent);
  EXPECT_EQ(points[3].lossPercent, 100.0);
  EXPECT_EQ(points[5].replyMs, 45.0);
  EXPECT_NEAR(*points[5].lossPercent, 100.0 / 3, 1e-9);

  // Refreshed each minute, the window keeps seconds the core has let go.
  for (std::uint32_t second = 7; second < 300; ++second) {
    {
      std::scoped_lock lock(EngineTestAccess::Lock(engine));
      NoteSent(Statistics(), 7, second * 1000);
      NoteReply(Statistics(), 7, second * 1000 + 20, 20);
    }
    if (second % 60 == 0) model.Refresh();
  }
  model.Refresh();
  points = model.Series(7);
  ASSERT_EQ(points.size(), 300u);
  EXPECT_EQ(points[0].replyMs, 30.0);
  EXPECT_EQ(points[299].replyMs, 20.0);

  // START again: second 0 is the new run's.
  {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    ResetStatistics(Statistics(), 400000);
    NoteSent(Statistics(), 7, 400100);
    NoteReply(Statistics(), 7, 400160, 60);
  }
  model.Refresh();
  points = model.Series(7);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].replyMs, 60.0);
  EXPECT_TRUE(model.Series(9).empty());
}

}  // namespace
}  // namespace tessaro
