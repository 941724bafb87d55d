// tessaro-download run as a process against the simulator's loader on a
// pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DownloadFakes.h"
#include "SRecordText.h"
#include "sim/Simulator.h"
#include "support/ToolProcess.h"
#include "tools/download/Statuses.h"

namespace tessaro {
namespace {

using namespace std::chrono_literals;
using testing::Record;
using testing::Sequence;
using LoaderConfig = sim::LoaderConfig;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class DownloadToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    image = dir.Write("image.abo", Image());
    outPath = dir.Name("out");
    errPath = dir.Name("err");
  }

  // 37 records of 16 bytes at 0x30000, then a second range at 0x40000;
  // record `changed` holds other bytes.
  static std::string Image(int changed = -1) {
    std::string text = Record('0', 0, {'h', 'd'});
    for (int r = 0; r < 37; ++r) {
      const auto first = static_cast<std::uint8_t>(r == changed ? 0x77 : r);
      text += Record('3', 0x30000 + 16u * r, Sequence(16, first));
    }
    text += Record('3', 0x40000, Sequence(5, 0xA0));
    return text + Record('7', 0, {});
  }
  static std::vector<std::uint8_t> FirstRange() {
    std::vector<std::uint8_t> data;
    for (int r = 0; r < 37; ++r) {
      const auto s = Sequence(16, static_cast<std::uint8_t>(r));
      data.insert(data.end(), s.begin(), s.end());
    }
    return data;
  }

  bool Start(testing::ToolProcess& tool, std::vector<std::string> args) {
    args.insert(args.begin(), TESSARO_DOWNLOAD_TOOL);
    return tool.Start(args, outPath, errPath);
  }
  ToolRun Finish(testing::ToolProcess& tool) {
    ToolRun run;
    run.status = tool.Wait(90s);
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
  }
  ToolRun Run(std::vector<std::string> args) {
    testing::ToolProcess tool;
    if (!Start(tool, std::move(args))) return {};
    return Finish(tool);
  }

  sim::Simulator sim;
  testing::TempDir dir;
  std::string image;
  std::string outPath;
  std::string errPath;
};

TEST_F(DownloadToolTest, TheImageArrivesByteForByteInThePacketsTheCheckForetold) {
  const ToolRun check = Run({"--check", image});
  ASSERT_EQ(check.status, cli::kDownloadOk) << check.err;
  EXPECT_NE(check.out.find("0x00030000 .. 0x0003024F  592 bytes"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("0x00040000 .. 0x00040004  5 bytes"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("packets:      9 (8 data packets"), std::string::npos) << check.out;
  EXPECT_EQ(sim.Stats().opens, 0u);

  const ToolRun run = Run({"--port", sim.SlavePath(), image});
  ASSERT_EQ(run.status, cli::kDownloadOk) << run.err;
  EXPECT_NE(run.out.find("Downloaded completely."), std::string::npos) << run.out;
  const auto received = sim.Received();
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.back(), "@UP01\r");
  const auto lines = sim.Loader().lines;
  EXPECT_EQ(lines.size(), 3u + 9u);
  const auto kept = sim.LoaderImage();
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept.at(0x30000), FirstRange());
  EXPECT_EQ(kept.at(0x40000), Sequence(5, 0xA0));
  // Nothing reopened afterwards.
  EXPECT_TRUE(sim.WaitUntil([&] { return !sim.LineHeld(); }, 10s));
}

TEST_F(DownloadToolTest, ATraceOfTheDownloadReplaysAndAChangedImageShows) {
  const std::string trace = dir.Name("dl.trace");
  const ToolRun run = Run({"--port", sim.SlavePath(), "--trace", trace, image});
  ASSERT_EQ(run.status, cli::kDownloadOk) << run.err;

  const auto replay = [&](const std::string& with) {
    testing::ToolProcess tool;
    const std::string report = dir.Name("replay");
    if (!tool.Start({TESSARO_REPLAY_TOOL, "--trace", trace, "--image", with}, report, errPath)) {
      return ToolRun{};
    }
    return ToolRun{tool.Wait(60s), ReadFile(report), ReadFile(errPath)};
  };
  ToolRun same = replay(image);
  EXPECT_EQ(same.status, 0) << same.out << same.err;
  EXPECT_NE(same.out.find("download from line"), std::string::npos) << same.out;
  EXPECT_NE(same.out.find("12 writes, 0 differ"), std::string::npos) << same.out;

  // Other data in the fifth record: its packet differs, nothing else.
  const ToolRun changed = replay(dir.Write("changed.abo", Image(4)));
  EXPECT_EQ(changed.status, 3) << changed.out << changed.err;
  EXPECT_NE(changed.out.find("the tool sends > S3"), std::string::npos) << changed.out;
  EXPECT_NE(changed.out.find("12 writes, 1 differ"), std::string::npos) << changed.out;
}

TEST_F(DownloadToolTest, EachFailureHasItsStatusAndTheWindowsText) {
  struct Case {
    const char* name;
    LoaderConfig config;
    int status;
    const char* text;
  };
  std::vector<Case> cases(5);
  cases[0] = {"FF to the maker word", {}, cli::kDownloadNotReady, "Base station is not ready"};
  cases[0].config.makerReply = "FF";
  cases[1] = {"garbage", {}, cli::kDownloadNotReady, "Base station is not ready"};
  cases[1].config.makerReply = "#\x7f~?%";
  cases[2] = {"FF to a packet", {}, cli::kDownloadFault, "Fault on downloading!"};
  cases[2].config.faultAtPacket = 2;
  cases[3] = {"FN three times", {}, cli::kDownloadTimeOut, "Error : Time out !!"};
  cases[3].config.fnBurstAtPacket = 3;
  cases[3].config.fnBurstLength = 3;
  cases[4] = {"silent", {}, cli::kDownloadNotReady, "Base station is not ready"};
  cases[4].config.silent = true;
  for (Case& c : cases) {
    c.config.idleExitMs = 3000;  // longer than a reply wait
    sim.SetLoader(c.config);
    const ToolRun run = Run({"--port", sim.SlavePath(), image});
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
    EXPECT_NE(run.err.find(c.text), std::string::npos) << c.name << "\n" << run.err;
    EXPECT_NE(run.err.find("not retried"), std::string::npos) << c.name << "\n" << run.err;
    // The loader gives up and the base answers again for the next case.
    ASSERT_TRUE(sim.WaitUntil([&] { return !sim.LineHeld() && !sim.Loader().active; }, 10s));
  }
}

TEST_F(DownloadToolTest, AHangUpInTheMiddleEndsTheRunWithAStatus) {
  LoaderConfig config;
  config.silentAtPacket = 3;
  sim.SetLoader(config);
  testing::ToolProcess tool;
  const std::string trace = dir.Name("hang.trace");
  ASSERT_TRUE(Start(tool, {"--port", sim.SlavePath(), "--trace", trace, image}));
  ASSERT_TRUE(sim.WaitUntil([&] { return sim.Loader().packetsReceived >= 3; }, 30s));
  sim.Stop();
  const ToolRun run = Finish(tool);
  EXPECT_EQ(run.status, cli::kDownloadTimeOut) << run.err;
  const std::string recorded = ReadFile(trace);
  const std::size_t hangup = recorded.find(" hangup\n");
  EXPECT_NE(hangup, std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" close\n", hangup), std::string::npos) << recorded;
}

TEST_F(DownloadToolTest, RefusalsBeforeTheLineSendNothing) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* text;
  };
  const std::string bad = dir.Write("bad.abo", Record('3', 0x100, Sequence(4)) + "S3zz\n");
  const std::vector<Case> cases = {
      {{"--port", sim.SlavePath(), bad}, cli::kDownloadBadImage, "Line 2, column 3"},
      {{"--check", bad}, cli::kDownloadBadImage, "Line 2, column 3"},
      {{"--port", sim.SlavePath(), dir.Path() + "/none.abo"},
       cli::kDownloadBadImage,
       "Can not open the file!"},
      {{"--port", dir.Path() + "/no-tty", image}, cli::kDownloadPort, "Can not open the COM port!"},
      {{"--port", sim.SlavePath(), "--base", "9", "--wait", "1", image},
       cli::kDownloadNotReady,
       "Base is not connected !"},
      {{"--port", sim.SlavePath(), "--baud", "1234", image}, cli::kDownloadUsage, "--baud"},
      {{"--port", sim.SlavePath()}, cli::kDownloadUsage, "IMAGE"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args.back() << "\n" << run.err;
    EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
  }
  for (const std::string& m : sim.Received()) EXPECT_NE(m.rfind("@UP", 0), 0u) << m;
  EXPECT_TRUE(sim.Loader().lines.empty());
}

}  // namespace
}  // namespace tessaro
