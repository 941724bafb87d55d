// tessaro-linktest's option parsing and result files.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "linktest/SeriesLog.h"
#include "tools/linktest/Options.h"
#include "tools/linktest/ResultFiles.h"
#include "tools/linktest/Results.h"
#include "tools/linktest/Runner.h"

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

TEST(LinkTestOptionsTest, TakesAValueAfterAnEqualsSignOrAsTheNextWord) {
  const std::vector<std::vector<const char*>> forms = {
      {"--port=COM2", "--seconds=30", "--json=r.json", "--passive"},
      {"--port", "COM2", "--seconds", "30", "--json", "r.json", "--passive"},
      {"--json", "x.json", "--port=COM2", "--seconds", "30", "--json=r.json", "--passive"},
  };
  for (const std::vector<const char*>& args : forms) {
    LinkTestOptions o;
    std::string error;
    ASSERT_EQ(Parse(args, o, error), ParseResult::kRun) << error;
    EXPECT_EQ(o.port, "COM2");
    EXPECT_EQ(o.seconds, 30);
    EXPECT_EQ(o.jsonPath, "r.json");
    EXPECT_TRUE(o.passive);
  }
}

// Symbolic links and /dev/full, which these tests use, exist on POSIX only.
#ifdef _WIN32
constexpr bool kPosixFiles = false;
#else
constexpr bool kPosixFiles = true;
#endif

TEST(LinkTestOptionsTest, RefusesWhatItCannotUseWithAReason) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tessaro-options";
  std::filesystem::create_directories(dir);
  const std::string target = (dir / "results.json").string();
  const std::string dangling = (dir / "latest.json").string();
  std::filesystem::remove(dangling);
  if (kPosixFiles) std::filesystem::create_symlink("results.json", dangling);
  struct Case {
    std::vector<const char*> args;
    const char* says;
  };
  std::vector<Case> cases = {
      {{}, "--port NAME is required"},
      {{"--seconds", "5"}, "--port NAME is required"},
      {{"--port"}, "--port needs a value"},
      {{"--port", ""}, "--port needs a port name"},
      {{"--port", "COM1", "--seconds", "-4"}, "--seconds"},
      {{"--port", "COM1", "--seconds", "12x"}, "--seconds"},
      {{"--port", "COM1", "--seconds", "99999999999999999999"}, "--seconds"},
      {{"--port", "COM1", "--seconds", "31536001"}, "to 31536000"},
      // A run until stopped would keep every second of an endless series.
      {{"--port", "COM1", "--seconds", "0", "--series", "s.csv"}, "--series keeps every second"},
      {{"--port", "COM1", "--metrics-interval", "0"}, "--metrics-interval"},
      {{"--port", "COM1", "--json", "m.prom", "--metrics", "m.prom"},
       "--json and --metrics name the same file"},
      {{"--port", "COM1", "--passive=x"}, "--passive takes no value"},
      {{"--port", "COM1", "--verbose"}, "unknown option: --verbose"},
      {{"--port", "COM1", "--json"}, "--json needs a value"},
      {{"--port", "COM1", "--json", "r.out", "--csv", "./r.out"},
       "--json and --csv name the same file: ./r.out"},
      {{"--port", "COM1", "--csv", "none/../r.out", "--series", "r.out"},
       "--csv and --series name the same file"},
      {{"--port", "COM1", "--trace", "r.out", "--json", "./r.out"},
       "--trace and --json name the same file"},
  };
  std::vector<Case> posixCases = {
      {{"--port", "/dev/null", "--trace=/dev/null"}, "--port and --trace name the same file"},
      // A link to a file not created yet names that file.
      {{"--port", "COM1", "--json", dangling.c_str(), "--csv", target.c_str()},
       "--json and --csv name the same file"},
  };
  if (kPosixFiles) cases.insert(cases.end(), posixCases.begin(), posixCases.end());
  for (const Case& c : cases) {
    LinkTestOptions o;
    std::string error;
    EXPECT_EQ(Parse(c.args, o, error), ParseResult::kError);
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  LinkTestOptions o;
  std::string error;
  EXPECT_EQ(Parse({"--port", "COM1", "--help"}, o, error), ParseResult::kHelp);
  EXPECT_EQ(Parse({"--version"}, o, error), ParseResult::kVersion);
  std::filesystem::remove_all(dir);
}

TEST(LinkTestOptionsTest, ComNamesMapToThePortTable) {
  EXPECT_EQ(ComPortIndex("COM1"), 0);
  EXPECT_EQ(ComPortIndex("COM6"), 5);
  EXPECT_EQ(ComPortIndex("COM7"), -1);
  EXPECT_EQ(ComPortIndex("COM10"), -1);
  EXPECT_EQ(ComPortIndex("com1"), -1);
  EXPECT_EQ(ComPortIndex("/dev/ttyS0"), -1);
}

// Everything written to `f`; closes it.
std::string ReadAll(std::FILE* f) {
  std::rewind(f);
  std::string text;
  char buffer[512];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
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
    // The true figures behind the wrapped counters of terminal 5: 100100
    // packets show as SD 101, 100088 good echoes as OK 90.
    TerminalStatistics& f = test.statistics.terminal[5];
    f.sent = 100100;
    f.good = 100088;
    f.lost = 10;
    f.replyTimeSum = std::int64_t{100088} * 45;
    f.replyTimeSquares = 100088ull * 45 * 45;
    f.replyTimeMin = 45;
    f.replyTimeMax = 45;
    f.longestLossRun = 4;
    test.statistics.terminal[20].sent = 3;
    test.statistics.terminal[20].lost = 3;
    test.statistics.terminal[20].longestLossRun = 3;
  }

  static std::string Write(bool json, const Results& r) {
    std::FILE* f = std::tmpfile();
    EXPECT_TRUE(json ? WriteJson(f, r) : WriteCsv(f, r));
    return ReadAll(f);
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
  EXPECT_DOUBLE_EQ(r.rows[2].lossPercent, 0.0);    // nothing settled yet
  EXPECT_DOUBLE_EQ(r.rows[3].lossPercent, 100.0);  // all three timed out
  // Terminal 5 is counted once in the totals although two bases list it.
  EXPECT_EQ(r.total.sent, 100103);
  EXPECT_EQ(r.total.lost, 13);
  EXPECT_EQ(r.total.longestLossRun, 4);
}

TEST_F(ResultsTest, LossAndTotalsComeFromTheTrueCountsNotTheWrappedView) {
  const Results r = CollectResults(registry, test, 30);
  // The view's counters would give 10 / (90 + 10) = 10 %.
  EXPECT_NEAR(r.rows[0].lossPercent, 100.0 * 10 / 100098, 1e-12);
  EXPECT_EQ(r.rows[0].sdRe, 101);
  EXPECT_EQ(r.rows[0].sent, 100100);
  std::FILE* f = std::tmpfile();
  PrintSummary(f, r, "COM1");
  const std::string summary = ReadAll(f);
  EXPECT_NE(summary.find("sent 100103, good echoes 100088, lost 13 (0.01 %), mean reply time 45 "
                         "ms\nreply time min 45 ms, max 45 ms, standard deviation 0.0 ms; "
                         "longest run of losses 4\n"),
            std::string::npos)
      << summary;
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
  EXPECT_DOUBLE_EQ(t["loss_percent"].get<double>(), 0.01);
  EXPECT_EQ(t["sent"], 100100);
  EXPECT_EQ(t["good"], 100088);
  EXPECT_EQ(t["lost"], 10);
  EXPECT_EQ(t["reply_min_ms"], 45);
  EXPECT_EQ(t["reply_max_ms"], 45);
  EXPECT_DOUBLE_EQ(t["reply_mean_ms"].get<double>(), 45.0);
  EXPECT_DOUBLE_EQ(t["reply_sd_ms"].get<double>(), 0.0);
  EXPECT_EQ(t["longest_loss_run"], 4);
  EXPECT_EQ(j["totals"]["sent"], 100103);
  EXPECT_EQ(j["totals"]["lost"], 13);
  EXPECT_EQ(
      Write(false, active)
          .rfind("base,terminal,sd,ok,ng,tm,av,loss_percent,sent,good,lost,duplicates,reply_min_ms,"
                 "reply_max_ms,reply_mean_ms,reply_sd_ms,longest_loss_run,unanswered\n"
                 "1,5,101,90,10,40,50,0.01,100100,100088,10,0,45,45,45.000,0.000,4,0\n",
                 0),
      0u);

  test.linkMode = kPassive;
  Results passive = CollectResults(registry, test, 30);
  const nlohmann::json p = nlohmann::json::parse(Write(true, passive));
  EXPECT_EQ(p["mode"], "passive");
  EXPECT_EQ(p["terminals"][0]["re"], 101);
  EXPECT_EQ(p["terminals"][0]["dp"], 90);
  EXPECT_FALSE(p["terminals"][0].contains("sd"));
  EXPECT_EQ(p["terminals"][0]["received"], 100100);
  EXPECT_NEAR(p["terminals"][0]["loss_percent"].get<double>(), 0.01, 0.005);  // lost / received
  EXPECT_EQ(Write(false, passive).substr(0, 51),
            "base,terminal,re,dp,ng,tm,av,loss_percent,received,");

  registry.Reset();
  for (int b = 1; b <= kMaxBase; ++b) registry.rows[b].present = 0;
  test.stats = TerminalStats{};
  ResetStatistics(test.statistics, 0);
  const nlohmann::json empty =
      nlohmann::json::parse(Write(true, CollectResults(registry, test, 1)));
  EXPECT_TRUE(empty["terminals"].empty());
}

class ResultFilesTest : public ::testing::Test {
 protected:
  ResultFilesTest() {
    dir = std::filesystem::temp_directory_path() /
          ("tessaro-results-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    options.jsonPath = (dir / "r.json").string();
  }
  ~ResultFilesTest() override { std::filesystem::remove_all(dir); }

  static std::string Contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Runs `what` with a file for its messages and returns them.
  template <typename F>
  static std::string Messages(F what) {
    std::FILE* err = std::tmpfile();
    what(err);
    return ReadAll(err);
  }

  std::filesystem::path dir;
  LinkTestOptions options;
  Results results;
  SeriesLog series;
};

TEST_F(ResultFilesTest, TheCheckBeforeTheRunLeavesAnEarlierFileAsItWas) {
  if (!kPosixFiles) GTEST_SKIP() << "symbolic links and /dev/full are POSIX's";
  { std::ofstream(options.jsonPath) << "keep"; }
  EXPECT_TRUE(
      Messages([&](std::FILE* err) { EXPECT_TRUE(CheckResultFiles(options, err)); }).empty());
  EXPECT_EQ(Contents(options.jsonPath), "keep");
  EXPECT_FALSE(std::filesystem::exists(PartialPath(options.jsonPath)));

  EXPECT_TRUE(Messages([&](std::FILE* err) {
                EXPECT_TRUE(WriteResultFiles(options, results, series, err));
              }).empty());
  EXPECT_EQ(Contents(options.jsonPath).rfind("{\"mode\": \"active\"", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(PartialPath(options.jsonPath)));

  // Through a symbolic link the file it names is replaced, not the link.
  const std::filesystem::path link = dir / "link.json";
  std::filesystem::create_symlink(options.jsonPath, link);
  { std::ofstream(options.jsonPath) << "old"; }
  options.jsonPath = link.string();
  ASSERT_TRUE(WriteResultFiles(options, results, series, stderr));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Contents((dir / "r.json").string()).rfind("{\"mode\"", 0), 0u);
}

TEST_F(ResultFilesTest, UnwritablePlacesFailWithTheSystemsReason) {
  if (!kPosixFiles) GTEST_SKIP() << "symbolic links and /dev/full are POSIX's";
  options.jsonPath = (dir / "missing" / "r.json").string();
  EXPECT_NE(Messages([&](std::FILE* err) {
              EXPECT_FALSE(CheckResultFiles(options, err));
            }).find("cannot write " + options.jsonPath + ": No such file or directory"),
            std::string::npos);
  options.jsonPath = dir.string();
  EXPECT_NE(Messages([&](std::FILE* err) {
              EXPECT_FALSE(CheckResultFiles(options, err));
            }).find("Is a directory"),
            std::string::npos);

  // A device is written in place, and a full one is an error.
  options.jsonPath.clear();
  options.csvPath = "/dev/full";
  EXPECT_TRUE(
      Messages([&](std::FILE* err) { EXPECT_TRUE(CheckResultFiles(options, err)); }).empty());
  EXPECT_NE(Messages([&](std::FILE* err) {
              EXPECT_FALSE(WriteResultFiles(options, results, series, err));
            }).find("cannot write /dev/full: No space left on device"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(SeriesLogTest, KeepsEverySecondOfARunLongerThanTheCoresRing) {
  auto statistics = std::make_unique<LinkStatistics>();
  ResetStatistics(*statistics, 0);
  SeriesLog log;
  for (std::uint32_t second = 0; second < 300; ++second) {
    NoteSent(*statistics, 5, second * 1000 + 500);
    if (second % 100 == 0) NoteReply(*statistics, 5, second * 1000 + 600, 40);
    if (second % 60 == 59) log.Take(*statistics);
  }
  NoteLoss(*statistics, 7, 2500);  // terminal 7 took part once
  log.Take(*statistics);
  std::FILE* f = std::tmpfile();
  ASSERT_TRUE(log.WriteCsv(f));
  const std::string csv = ReadAll(f);
  EXPECT_EQ(csv.rfind("second,terminal,sent,good,lost,mean_reply_ms,unanswered\n"
                      "0,5,1,1,0,40.0,0\n0,7,0,0,0,0.0,0\n1,5,1,0,0,0.0,0\n1,7,0,0,0,0.0,0\n"
                      "2,5,1,0,0,0.0,0\n2,7,0,0,1,0.0,0\n",
                      0),
            0u)
      << csv.substr(0, 200);
  EXPECT_NE(csv.find("\n100,5,1,1,0,40.0,0\n"), std::string::npos);
  EXPECT_NE(csv.find("\n299,7,0,0,0,0.0,0\n"), std::string::npos);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 601);
}

}  // namespace
}  // namespace tessaro::cli
