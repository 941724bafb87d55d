// tessaro-linktest's option parsing and result files.

#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "linktest/cli/Options.h"
#include "linktest/cli/Results.h"
#include "linktest/cli/Runner.h"

namespace tessaro::cli {
namespace {

ParseResult Parse(std::vector<const char*> args, LinkTestOptions& o, std::string& error) {
  args.insert(args.begin(), "tessaro-linktest");
  return ParseOptions(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(LinkTestOptionsTest, ReadsEveryOption) {
  LinkTestOptions o;
  std::string error;
  ASSERT_EQ(Parse({"--port", "/dev/ttyUSB0", "--seconds", "30", "--passive", "--json", "r.json",
                   "--csv", "r.csv", "--wait", "9", "--interval", "0"},
                  o, error),
            ParseResult::kRun);
  EXPECT_EQ(o.port, "/dev/ttyUSB0");
  EXPECT_EQ(o.seconds, 30);
  EXPECT_TRUE(o.passive);
  EXPECT_EQ(o.jsonPath, "r.json");
  EXPECT_EQ(o.csvPath, "r.csv");
  EXPECT_EQ(o.discoverySeconds, 9);
  EXPECT_EQ(o.intervalSeconds, 0);
}

TEST(LinkTestOptionsTest, RefusesWhatItCannotUseWithAReason) {
  struct Case {
    std::vector<const char*> args;
    const char* says;
  };
  const std::vector<Case> cases = {
      {{}, "--port NAME is required"},
      {{"--seconds", "5"}, "--port NAME is required"},
      {{"--port"}, "--port needs a value"},
      {{"--port", ""}, "--port needs a port name"},
      {{"--port", "COM1", "--seconds", "0"}, "--seconds"},
      {{"--port", "COM1", "--seconds", "-4"}, "--seconds"},
      {{"--port", "COM1", "--seconds", "12x"}, "--seconds"},
      {{"--port", "COM1", "--seconds", "99999999999999999999"}, "--seconds"},
      {{"--port", "COM1", "--verbose"}, "unknown option: --verbose"},
      {{"--port", "COM1", "--json"}, "--json needs a value"},
  };
  for (const Case& c : cases) {
    LinkTestOptions o;
    std::string error;
    EXPECT_EQ(Parse(c.args, o, error), ParseResult::kError);
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  LinkTestOptions o;
  std::string error;
  EXPECT_EQ(Parse({"--port", "COM1", "--help"}, o, error), ParseResult::kHelp);
}

TEST(LinkTestOptionsTest, ComNamesMapToThePortTable) {
  EXPECT_EQ(ComPortIndex("COM1"), 0);
  EXPECT_EQ(ComPortIndex("COM6"), 5);
  EXPECT_EQ(ComPortIndex("COM7"), -1);
  EXPECT_EQ(ComPortIndex("COM10"), -1);
  EXPECT_EQ(ComPortIndex("com1"), -1);
  EXPECT_EQ(ComPortIndex("/dev/ttyS0"), -1);
}

class ResultsTest : public ::testing::Test {
 protected:
  ResultsTest() {
    registry.Reset();
    registry.rows[1].present = 1;
    registry.rows[1].terminal[5] = 1;
    registry.rows[3].present = 1;
    registry.rows[3].terminal[5] = 1;
    registry.rows[3].terminal[9] = 1;
    TerminalStats& s = test.stats;
    s.sdReCount[5] = 101;
    s.okDpCount[5] = 90;
    s.ngCount[5] = 10;
    s.replyTime[5] = 40;
    s.average[5] = 50;
    s.replyTimeSum[5] = 4500;
    s.replyCount[5] = 90;
    s.sdReCount[20] = 3;  // counted, then no longer listed
    s.ngCount[20] = 3;
  }

  std::string Write(bool json, const Results& r) {
    std::FILE* f = std::tmpfile();
    EXPECT_TRUE(json ? WriteJson(f, r) : WriteCsv(f, r));
    std::rewind(f);
    std::string text;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
  }

  StationRegistry registry;
  TestState test;
};

TEST_F(ResultsTest, RowsFollowTheViewAndKeepUnlistedCounts) {
  const Results r = CollectResults(registry, test, 30);
  ASSERT_EQ(r.rows.size(), 4u);
  EXPECT_EQ(r.rows[0].base, 1);
  EXPECT_EQ(r.rows[1].base, 3);
  EXPECT_EQ(r.rows[1].terminal, 5);
  EXPECT_EQ(r.rows[2].terminal, 9);
  EXPECT_EQ(r.rows[3].base, 0);
  EXPECT_EQ(r.rows[3].terminal, 20);
  EXPECT_DOUBLE_EQ(r.rows[0].lossPercent, 10.0);
  EXPECT_DOUBLE_EQ(r.rows[2].lossPercent, 0.0);    // nothing settled yet
  EXPECT_DOUBLE_EQ(r.rows[3].lossPercent, 100.0);  // all three timed out
  // Terminal 5 is counted once in the totals although two bases list it.
  EXPECT_EQ(r.sdRe, 104);
  EXPECT_EQ(r.ng, 13);
}

TEST_F(ResultsTest, JsonAndCsvCarryTheSameRowsWithTheModesKeys) {
  Results active = CollectResults(registry, test, 30);
  const nlohmann::json j = nlohmann::json::parse(Write(true, active));
  EXPECT_EQ(j["mode"], "active");
  EXPECT_EQ(j["seconds"], 30);
  ASSERT_EQ(j["terminals"].size(), 4u);
  const nlohmann::json& t = j["terminals"][0];
  EXPECT_EQ(t["base"], 1);
  EXPECT_EQ(t["terminal"], 5);
  EXPECT_EQ(t["sd"], 101);
  EXPECT_EQ(t["ok"], 90);
  EXPECT_EQ(t["ng"], 10);
  EXPECT_EQ(t["tm"], 40);
  EXPECT_EQ(t["av"], 50);
  EXPECT_DOUBLE_EQ(t["loss_percent"].get<double>(), 10.0);
  EXPECT_EQ(Write(false, active).substr(0, 62),
            "base,terminal,sd,ok,ng,tm,av,loss_percent\n1,5,101,90,10,40,50,");

  test.linkMode = kPassive;
  Results passive = CollectResults(registry, test, 30);
  const nlohmann::json p = nlohmann::json::parse(Write(true, passive));
  EXPECT_EQ(p["mode"], "passive");
  EXPECT_EQ(p["terminals"][0]["re"], 101);
  EXPECT_EQ(p["terminals"][0]["dp"], 90);
  EXPECT_FALSE(p["terminals"][0].contains("sd"));
  EXPECT_NEAR(p["terminals"][0]["loss_percent"].get<double>(), 9.90, 0.005);  // NG / RE
  EXPECT_EQ(Write(false, passive).substr(0, 42), "base,terminal,re,dp,ng,tm,av,loss_percent\n");

  registry.Reset();
  for (int b = 1; b <= kMaxBase; ++b) registry.rows[b].present = 0;
  test.stats = TerminalStats{};
  const nlohmann::json empty =
      nlohmann::json::parse(Write(true, CollectResults(registry, test, 1)));
  EXPECT_TRUE(empty["terminals"].empty());
}

}  // namespace
}  // namespace tessaro::cli
