// tessaro-download run as a process against the simulator's loader on a
// pseudo-terminal.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "DownloadFakes.h"
#include "SRecordText.h"
#include "sim/Simulator.h"
#include "support/ToolProcess.h"
#include "tools/download/ConsoleDownloadUi.h"
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
  EXPECT_NE(check.out.find("lines:        40 (38 data records)"), std::string::npos) << check.out;
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
  EXPECT_NE(same.out.find("12 writes recorded, 12 compared, 0 differ"), std::string::npos)
      << same.out;

  // Other data in the fifth record: its packet differs, nothing else.
  const ToolRun changed = replay(dir.Write("changed.abo", Image(4)));
  EXPECT_EQ(changed.status, 3) << changed.out << changed.err;
  EXPECT_NE(changed.out.find("the tool sends > S3"), std::string::npos) << changed.out;
  EXPECT_NE(changed.out.find("12 writes recorded, 12 compared, 1 differ"), std::string::npos)
      << changed.out;
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

// The device going away is said as such, in the handshake and in the packets.
TEST_F(DownloadToolTest, AHangUpEndsTheRunSayingTheDeviceWentAway) {
  struct Case {
    const char* name;
    LoaderConfig config;
    std::function<bool(const sim::LoaderStatus&)> stopWhen;
  };
  std::vector<Case> cases(2);
  cases[0] = {"in the handshake", {}, [](const sim::LoaderStatus& l) { return !l.lines.empty(); }};
  cases[0].config.silent = true;
  cases[1] = {
      "in the packets", {}, [](const sim::LoaderStatus& l) { return l.packetsReceived >= 3; }};
  cases[1].config.silentAtPacket = 3;
  for (const Case& c : cases) {
    sim::Simulator line;
    std::string error;
    ASSERT_TRUE(line.Start(&error)) << error;
    line.SetLoader(c.config);
    testing::ToolProcess tool;
    const std::string trace = dir.Name("hang.trace");
    ASSERT_TRUE(Start(tool, {"--port", line.SlavePath(), "--trace", trace, image}));
    ASSERT_TRUE(line.WaitUntil([&] { return c.stopWhen(line.Loader()); }, 30s)) << c.name;
    line.Stop();
    const ToolRun run = Finish(tool);
    EXPECT_EQ(run.status, cli::kDownloadTimeOut) << c.name << "\n" << run.err;
    EXPECT_NE(run.err.find("The serial device went away."), std::string::npos) << c.name << "\n"
                                                                               << run.err;
    EXPECT_EQ(run.err.find("not retried"), std::string::npos) << c.name << "\n" << run.err;
    const std::string recorded = ReadFile(trace);
    const std::size_t hangup = recorded.find(" hangup\n");
    EXPECT_NE(hangup, std::string::npos) << recorded;
    EXPECT_NE(recorded.find(" close\n", hangup), std::string::npos) << recorded;

    // The writes into the dropped line replay as they went.
    testing::ToolProcess replay;
    const std::string report = dir.Name("replay");
    ASSERT_TRUE(
        replay.Start({TESSARO_REPLAY_TOOL, "--trace", trace, "--image", image}, report, errPath));
    EXPECT_EQ(replay.Wait(60s), 0) << c.name << "\n" << ReadFile(report) << recorded;
  }
}

// Once "@UP" is out the base is left in a state the user is told of: a
// hang-up of the terminal or a closed pipe does not stop the download, an
// interrupt stops it after the packet on the line, and the image may change
// on the disk.  A run right after a failure or an interrupt finds the
// loader waiting and loads the whole image.
TEST_F(DownloadToolTest, AfterTheUpdateRequestTheBaseIsLeftInAKnownState) {
  struct Case {
    const char* name;
    std::function<void(pid_t)> during;  // after the second packet
    int faultAtPacket;
    int status;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"SIGINT", [](pid_t p) { kill(p, SIGINT); }, 0, cli::kDownloadInterrupted,
       "waits in update mode"},
      {"SIGTERM", [](pid_t p) { kill(p, SIGTERM); }, 0, cli::kDownloadInterrupted,
       "Download interrupted."},
      {"SIGHUP", [](pid_t p) { kill(p, SIGHUP); }, 0, cli::kDownloadOk, "Downloaded completely."},
      {"SIGPIPE", [](pid_t p) { kill(p, SIGPIPE); }, 0, cli::kDownloadOk, "Downloaded completely."},
      {"image cut short on the disk",
       [this](pid_t) { dir.Write("image.abo", Record('3', 0, Sequence(4))); }, 0, cli::kDownloadOk,
       "Downloaded completely."},
      {"FF to a packet", [](pid_t) {}, 3, cli::kDownloadFault, "run the same command again"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    image = dir.Write("image.abo", Image());
    LoaderConfig slow;
    slow.splitReplies = true;  // about 100 ms a packet: time to act in the middle
    slow.splitGapMs = 100;
    slow.faultAtPacket = c.faultAtPacket;
    sim.SetLoader(slow);
    // The base answers at once; the wait only matters on a busy machine and
    // in the rerun, which waits it out before the loader's handshake.
    const std::vector<std::string> args = {"--port", sim.SlavePath(), "--wait", "3", image};
    const int sessions = sim.Loader().sessions;
    testing::ToolProcess tool;
    ASSERT_TRUE(Start(tool, args));
    ASSERT_TRUE(sim.WaitUntil(
        [&] {
          const auto loader = sim.Loader();
          return loader.sessions > sessions && loader.packetsReceived >= 2;
        },
        30s));
    c.during(tool.Pid());
    const ToolRun run = Finish(tool);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE((run.out + run.err).find(c.text), std::string::npos) << run.out << run.err;
    if (c.status == cli::kDownloadInterrupted) {
      EXPECT_LE(sim.Loader().packetsReceived, 3);
      EXPECT_TRUE(sim.Loader().active);
    }
    if (c.status != cli::kDownloadOk) {
      const ToolRun again = Run(args);
      EXPECT_EQ(again.status, cli::kDownloadOk) << again.err;
      EXPECT_NE(again.err.find("trying the handshake of a loader"), std::string::npos) << again.err;
    }
    ASSERT_TRUE(sim.WaitUntil([&] { return !sim.Loader().active; }, 10s));
    const auto kept = sim.LoaderImage();
    ASSERT_EQ(kept.count(0x30000), 1u);
    EXPECT_EQ(kept.at(0x30000), FirstRange());
  }
}

TEST_F(DownloadToolTest, RefusalsBeforeTheLineSendNothing) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* text;
  };
  const std::string bad = dir.Write("bad.abo", Record('3', 0x100, Sequence(4)) + "S3zz\n");
  const std::string twoFiles = dir.Write("two.abo", Image() + Image());
  const std::string fifo = dir.Name("fifo.abo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
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
      {{"--port", sim.SlavePath(), twoFiles}, cli::kDownloadBadImage, "after the end record"},
      {{"--check", twoFiles}, cli::kDownloadBadImage, "(two files run together?)"},
      {{"--port", sim.SlavePath(), dir.Path()}, cli::kDownloadBadImage, "not a regular file"},
      {{"--port", sim.SlavePath(), fifo}, cli::kDownloadBadImage, "not a regular file"},
      {{"--check", "/dev/null"}, cli::kDownloadBadImage, "not a regular file"},
      {{"--port", sim.SlavePath(), "--trace", "/dev/full", image},
       cli::kDownloadUsage,
       "No space left on device"},
      {{"--port", "COM7", image}, cli::kDownloadPort, "COM7 stands for no device"},
      {{"--port", sim.SlavePath()}, cli::kDownloadUsage, "IMAGE"},
      // A trace over the image or the device would destroy it.
      {{"--port", sim.SlavePath(), "--trace", image, image},
       cli::kDownloadUsage,
       "IMAGE and --trace name the same file"},
      {{"--port", sim.SlavePath(), "--trace=" + sim.SlavePath(), image},
       cli::kDownloadUsage,
       "--port and --trace name the same file"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args.back() << "\n" << run.err;
    EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("tessaro-linktest"), std::string::npos) << run.err;
  }
  for (const std::string& m : sim.Received()) EXPECT_NE(m.rfind("@UP", 0), 0u) << m;
  EXPECT_TRUE(sim.Loader().lines.empty());
}

// The bar redrawn in place never reaches the terminal's last column, which
// would wrap it onto a new line at every redraw.
TEST(ProgressLine, FitsTheTerminalAndKeepsThePercent) {
  const std::string full = cli::ProgressLine(45, 2150, 4801, "12.3 kB/s", "0:02", 200);
  EXPECT_EQ(full,
            "Downloading... [#############.................]  45%  2150/4801 bytes  12.3 kB/s  "
            "0:02 left");
  for (int columns : {100, 80, 72, 60, 40, 30, 20, 12}) {
    const std::string line = cli::ProgressLine(45, 2150, 4801, "12.3 kB/s", "0:02", columns);
    EXPECT_LT(line.size(), static_cast<std::size_t>(columns)) << columns << ": " << line;
    if (columns >= 20) {
      EXPECT_NE(line.find("45%"), std::string::npos) << columns << ": " << line;
    }
  }
}

}  // namespace
}  // namespace tessaro
