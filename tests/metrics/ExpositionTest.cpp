// The text exposition of a link's sample: what a collector parses.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tools/metrics/LinkMetrics.h"

namespace tessaro::metrics {
namespace {

class ExpositionTest : public ::testing::Test {
 protected:
  ExpositionTest() { ResetStatistics(test->statistics, 0); }

  void List(int base, int terminal) {
    registry.rows[base].present = 1;
    registry.rows[base].terminal[terminal] = 1;
  }
  std::string Render(const SeriesLabels& labels = {"s", "p", "1.0"}) {
    TakeSample(registry, *test, *sample);
    std::string out;
    ExpositionRenderer(labels).Render(*sample, out);
    return out;
  }
  static bool Has(const std::string& text, const std::string& line) {
    return text.find("\n" + line + "\n") != std::string::npos;
  }

  StationRegistry registry;
  std::unique_ptr<TestState> test = std::make_unique<TestState>();
  std::unique_ptr<LinkSample> sample = std::make_unique<LinkSample>();
};

// A reply of exactly a bound counts in that bucket ("le"); the buckets are
// cumulative and the sum is exact in seconds.
TEST_F(ExpositionTest, ReplyTimesFillTheHistogramAsLessOrEqual) {
  List(2, 7);
  for (const std::int32_t ms : {5, 6, 10000, 10001, 99999}) NoteReply(test->statistics, 7, 0, ms);
  const std::string text = Render();
  const std::string at = "{site=\"s\",port=\"p\",base=\"2\",terminal=\"7\"";
  const struct {
    const char* le;
    int count;
  } buckets[] = {{"0.005", 1}, {"0.01", 2}, {"5", 2}, {"10", 3}, {"+Inf", 5}};
  for (const auto& b : buckets) {
    EXPECT_TRUE(Has(text, "tessaro_linktest_reply_time_seconds_bucket" + at + ",le=\"" + b.le +
                              "\"} " + std::to_string(b.count)))
        << b.le << "\n"
        << text;
  }
  EXPECT_TRUE(Has(text, "tessaro_linktest_reply_time_seconds_sum" + at + "} 120.011")) << text;
  EXPECT_TRUE(Has(text, "tessaro_linktest_reply_time_seconds_count" + at + "} 5")) << text;
  EXPECT_TRUE(Has(text, "tessaro_linktest_last_reply_time_seconds" + at + "} 99.999")) << text;
}

TEST_F(ExpositionTest, LabelValuesAreEscaped) {
  List(1, 1);
  const std::string text = Render({"a\"b\\c\nd", "/dev/tty\"1", "1.0"});
  EXPECT_TRUE(Has(text, R"(tessaro_linktest_link_up{site="a\"b\\c\nd",port="/dev/tty\"1"} 0)"))
      << text;
}

// A terminal keeps its series, under the base it had, when it is listed
// nowhere any more (link down, left the network); one never listed nor
// counted has none.
TEST_F(ExpositionTest, ATerminalKeepsItsSeriesWhenNoBaseListsItAnyMore) {
  List(5, 3);
  List(2, 3);  // the lowest base listing it names it
  NoteSent(test->statistics, 3, 0);
  Render();
  registry = StationRegistry{};
  const std::string text = Render();
  EXPECT_TRUE(Has(
      text, R"(tessaro_linktest_packets_sent_total{site="s",port="p",base="2",terminal="3"} 1)"))
      << text;
  EXPECT_EQ(text.find("terminal=\"4\""), std::string::npos);
  EXPECT_TRUE(Has(text, R"(tessaro_linktest_terminals_present{site="s",port="p"} 0)"));
}

}  // namespace
}  // namespace tessaro::metrics
