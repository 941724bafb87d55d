#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/TestMarks.h"
#include "tools/replay/Replay.h"
#include "tools/replay/TraceReplay.h"

namespace tessaro {
namespace {

// Runs the replay over `input` and returns what it printed.
std::string Replay(const std::string& input, const ReplayOptions& options = {}) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  EXPECT_EQ(RunReplay(in, out, options), 0);
  std::string text;
  std::rewind(out);
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) text.append(buffer, n);
  std::fclose(in);
  std::fclose(out);
  return text;
}

TEST(Replay, BaseListPrintsTheTenQueriesInOrderThenTheRegistry) {
  const std::string out = Replay("@BS01110311\r");
  const std::string expected =
      "<- @BS01110311\\r\n"
      "pane 0: @BS01110311\\r\n"
      "-> @CH010\\r\n-> @GP010\\r\n-> @ME010\\r\n-> @PW010\\r\n-> @TO0100\\r\n"
      "-> @CH030\\r\n-> @GP030\\r\n-> @ME030\\r\n-> @PW030\\r\n-> @TO0300\\r\n"
      "registry:\n"
      "  base 01: channel 1 group 1 power 1 mode - timeout 0 baud 0\n"
      "    terminals: none\n"
      "  base 03: channel 1 group 1 power 1 mode - timeout 0 baud 0\n"
      "    terminals: none\n"
      "  highestBase: 3\n"
      "six-channel mode: 0\n";
  EXPECT_EQ(out, expected);
}

TEST(Replay, ShowsTerminalsPropertiesAndSixChannelMode) {
  ReplayOptions options;
  options.baudIndex = 4;
  const std::string out =
      Replay("noise1@BS0213\r@TM020511\r@ME0203\r@TO020009\r@PW0204\r", options);
  EXPECT_NE(out.find("  base 02: channel 3 group 1 power 4 mode 3 timeout 9 baud 4\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("    terminals: 05 11\n"), std::string::npos);
  EXPECT_NE(out.find("six-channel mode: 1\n"), std::string::npos);
}

TEST(Replay, EscapesControlBytes) {
  EXPECT_EQ(EscapeBytes("a\r\n\x01\\\xff", 6), "a\\r\\n\\x01\\\\\\xFF");
}

// Writes `text` to a file of its own and returns its name.
std::string TempFile(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + "replay-" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

struct TraceRun {
  int status;
  std::string out;
};

TraceRun ReplayTrace(const std::string& trace, const std::string& image = "") {
  TraceReplayOptions options;
  options.tracePath = trace;
  options.imagePath = image;
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = RunTraceReplay(options, out, err);
  std::string text;
  for (std::FILE* f : {out, err}) {
    std::rewind(f);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  return {status, text};
}

constexpr const char* kHeader =
    "# tessaro line trace 1\n# program: tessaro\n# started: 2026-12-08T10:59:30Z\n";
constexpr const char* kDownload =
    "1.000 open /dev/ttyS0 ok\n"
    "1.100 queues in=256 out=1200 write=5ms/byte+50ms\n"
    "1.200 line 115200 8N1 dtr=1 rts=1 cts=off xon=off ok\n"
    "1.300 > \\r\n"
    "1.400 < ACK0\\r\n";
constexpr const char* kSession =
    "1.000 open /dev/ttyS0 ok\n"
    "1.100 queues in=256 out=256 write=5ms/byte+50ms\n"
    "1.200 > @BS\\r\n"
    "1.300 > @AT\\r\n"
    "2.000 < @BS01110311\\r\n"
    "2.100 > @CH010\\r\n2.110 > @GP010\\r\n2.120 > @ME010\\r\n2.130 > @PW010\\r\n"
    "2.140 > @TO0100\\r\n2.150 > @CH030\\r\n2.160 > @GP030\\r\n2.170 > @ME030\\r\n"
    "2.180 > @PW030\\r\n2.190 > @TO0300\\r\n";

// A replay that compared nothing, or not all of it, never says "as recorded".
TEST(TraceReplay, NothingComparedIsNotAsRecorded) {
  const std::string refused = TempFile("refused.abo", "S3zz\n");
  struct Case {
    const char* name;
    std::string trace;
    std::string image;
    int status;
    const char* said;
  };
  const std::vector<Case> cases = {
      {"empty", "", "", kReplayNothingCompared, "no open of the port"},
      {"header only", kHeader, "", kReplayNothingCompared, "no open of the port"},
      {"no open", std::string(kHeader) + "1.0 open /dev/ttyS0 failed\n", "", kReplayNothingCompared,
       "no open of the port"},
      {"simulator", "1.0 open /dev/pts/3 ok\n2.0 speed 115200\n3.0 < @AT\\r\n", "",
       kReplayNothingCompared, "the simulator recorded this trace"},
      {"download, no image", kDownload, "", kReplayNothingCompared, "give its image"},
      {"download, image missing", kDownload, ::testing::TempDir() + "none.abo",
       kReplayNothingCompared, "not compared"},
      {"download, image refused", kDownload, refused, kReplayNothingCompared, "not compared"},
      {"session and a download without image", std::string(kSession) + kDownload, "",
       kReplayNothingCompared, "1 download was not compared"},
      {"session", kSession, "", kReplaySame, "10 writes compared: the tool answers as recorded"},
      {"PASSIVE across a close and an open",
       "1.0 open /dev/ttyS0 ok\n1.1 test mode passive in=0\n1.2 close\n"
       "2.0 open /dev/ttyS0 ok\n2.1 < @DT0104ABCD\\r\n2.2 > @DT04ABCD\\r\n",
       "", kReplaySame, "the tool answers as recorded"},
      {"session, an answer missing", std::string(kSession, std::string(kSession).rfind("2.19")), "",
       kReplayDiffers, "after < @BS01110311\\r the tool sends > @TO0300\\r; not recorded"},
  };
  for (const Case& c : cases) {
    const TraceRun run = ReplayTrace(TempFile("trace", c.trace), c.image);
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.out;
    EXPECT_NE(run.out.find(c.said), std::string::npos) << c.name << "\n" << run.out;
  }
}

// Each mark the engine notes reads back as itself; a line that is none is refused.
TEST(TraceReplay, TestLinesReadBackAsWritten) {
  std::vector<TestMark> marks(7);
  marks[0].kind = TestMarkKind::Criteria;
  marks[0].criteria = TestCriteria{40, 2, 9};
  marks[1].kind = TestMarkKind::Mode;
  marks[1].mode = LinkMode::Passive;
  marks[2].kind = TestMarkKind::Mode;
  marks[3].kind = TestMarkKind::Start;
  marks[3].fed = 18446744073709551615ULL;
  marks[4].kind = TestMarkKind::Stop;
  marks[5].kind = TestMarkKind::TimeOut;
  marks[5].terminal = 99;
  marks[6].kind = TestMarkKind::Reconnect;
  for (const TestMark& m : marks) {
    char text[128];
    FormatTestMark(m, text, sizeof text);
    ASSERT_EQ(std::string(text).rfind("test ", 0), 0u) << text;
    TestMark back;
    ASSERT_TRUE(ParseTestMark(text + 5, back)) << text;
    EXPECT_EQ(back.kind, m.kind) << text;
    EXPECT_EQ(back.mode, m.mode) << text;
    EXPECT_EQ(back.terminal, m.terminal) << text;
    EXPECT_EQ(back.fed, m.fed) << text;
    EXPECT_EQ(back.criteria.dataLength, m.criteria.dataLength) << text;
    EXPECT_EQ(back.criteria.timeoutSeconds, m.criteria.timeoutSeconds) << text;
  }
  TestMark m;
  for (const char* text :
       {"start", "start in=", "start in=-1", "timeout 00 in=1", "timeout 100 in=1",
        "criteria length=99999999999 retransmits=1 "
        "timeout=1 in=1",
        "mode in=1", "start in=1 "}) {
    EXPECT_FALSE(ParseTestMark(text, m)) << text;
  }
}

}  // namespace
}  // namespace tessaro
