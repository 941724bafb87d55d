// The statistics plot's scales and lines, without a toolkit.

#include <gtest/gtest.h>

#include "app/front/PlotLayout.h"

namespace tessaro {
namespace {

constexpr PlotMetrics kMetrics{640, 360, 14, 11, 30};

std::vector<std::string> Texts(const std::vector<PlotText>& labels) {
  std::vector<std::string> texts;
  texts.reserve(labels.size());
  for (const PlotText& label : labels) texts.push_back(label.text);
  return texts;
}

TEST(PlotLayoutTest, ScalesEndOnRoundFiguresAndCoverTheRun) {
  struct Case {
    double value;
    double rounded;
  };
  for (const Case& c : {Case{0, 1}, Case{-3, 1}, Case{0.3, 0.5}, Case{7, 10}, Case{10, 10},
                        Case{11, 20}, Case{130, 200}, Case{4999, 5000}, Case{5001, 10000}}) {
    EXPECT_DOUBLE_EQ(RoundUp(c.value), c.rounded) << c.value;
  }

  // 23 seconds, the longest mean reply 130 ms.
  std::vector<SeriesPoint> points(23);
  for (std::uint32_t s = 0; s < points.size(); ++s) points[s].second = s;
  points[4].replyMs = 130;
  const PlotFrame frame = LayOutPlot(kMetrics, points, false, "Terminal 07");
  EXPECT_EQ(
      Texts(frame.reply.labels),
      (std::vector<std::string>{"0", "40", "80", "120", "160", "200", "0", "5", "10", "15", "20"}));
  EXPECT_EQ(Texts(frame.loss.labels).at(5), "100");
  EXPECT_EQ(frame.reply.grid.size(), 4u);
  // The panes and their texts do not overlap, and nothing leaves the plot.
  EXPECT_GT(frame.loss.caption.y - kMetrics.lineHeight, frame.reply.labels.back().y);
  EXPECT_LE(frame.loss.area.Bottom() + 2 * kMetrics.lineHeight, kMetrics.height);
  EXPECT_LE(frame.reply.area.Right(), kMetrics.width);
  EXPECT_EQ(frame.unit.text, "seconds of the run");
  EXPECT_EQ(LayOutPlot(kMetrics, points, true, "").loss.caption.text,
            "Echoes refused, % (each second)");
}

TEST(PlotLayoutTest, ASecondWithoutAFigureBreaksTheLineAndFiguresStayInTheirPane) {
  std::vector<SeriesPoint> points(6);
  for (std::uint32_t s = 0; s < points.size(); ++s) {
    points[s].second = s;
    points[s].lossPercent = 0;
  }
  points[0].replyMs = 30;
  points[1].replyMs = 50;
  points[3].replyMs = 40;  // second 2 measured nothing
  points[4].replyMs = 20;
  points[2].lossPercent.reset();
  points[5].lossPercent = 100;
  const PlotFrame frame = LayOutPlot(kMetrics, points, false, "Terminal 07");
  ASSERT_EQ(frame.reply.runs.size(), 2u);
  EXPECT_EQ(frame.reply.runs[0].size(), 2u);
  EXPECT_EQ(frame.reply.runs[1].size(), 2u);
  ASSERT_EQ(frame.loss.runs.size(), 2u);
  EXPECT_EQ(frame.loss.runs[1].size(), 3u);
  for (const PlotPane* pane : {&frame.reply, &frame.loss}) {
    for (const std::vector<PlotPoint>& run : pane->runs) {
      for (const PlotPoint& p : run) {
        EXPECT_GE(p.x, pane->area.left);
        EXPECT_LE(p.x, pane->area.Right());
        EXPECT_GE(p.y, pane->area.top);
        EXPECT_LE(p.y, pane->area.Bottom());
      }
    }
  }
  // 100 % is the top edge, 0 % the bottom one; a later second is further right.
  EXPECT_DOUBLE_EQ(frame.loss.runs[1].back().y, frame.loss.area.top);
  EXPECT_DOUBLE_EQ(frame.loss.runs[0].front().y, frame.loss.area.Bottom());
  EXPECT_LT(frame.reply.runs[0].back().x, frame.reply.runs[1].front().x);
}

}  // namespace
}  // namespace tessaro
