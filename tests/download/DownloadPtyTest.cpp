// The download against the simulator's loader over a real pseudo-terminal.

#include <stdlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DownloadFakes.h"
#include "SRecordText.h"
#include "download/DownloadSession.h"
#include "link/NativeSerialPort.h"
#include "sim/Simulator.h"

namespace tessaro {
namespace {

using namespace std::chrono_literals;
using testing::Record;
using testing::ScriptedUi;
using testing::Sequence;
using LoaderConfig = sim::LoaderConfig;

// Replies come within milliseconds; waits that must run out are shortened so
// that a test's silent stretches add up to a few seconds.
constexpr int kShortWaitMs = 500;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DownloadPtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    ::setenv("TESSARO_COM1", sim.SlavePath().c_str(), 1);
    timing.pauseMs = 50;
    ui.imagePath = dir.Write("small.abo", SmallImage());
  }
  void TearDown() override {
    sim.Stop();
    ::unsetenv("TESSARO_COM1");
  }

  static std::string SmallImage() {
    std::string text = Record('0', 0, {'t', 's'});
    for (int r = 0; r < 20; ++r) {
      text += Record('3', 0x20000 + 16u * r, Sequence(16, static_cast<std::uint8_t>(r)));
    }
    return text + Record('7', 0, {});
  }

  // The shell's part: "@UP01\r" over the session, which then closes.
  void EnterLoader(const LoaderConfig& config = {}) {
    sim.SetLoader(config);
    auto port = MakeNativeSerialPort();
    ASSERT_TRUE(port->Open("COM1"));
    LineSettings line = DownloadLineSettings();
    ASSERT_TRUE(port->ApplyLineSettings(line));
    ASSERT_EQ(port->Write("@UP01\r", 6), 6);
    ASSERT_TRUE(sim.WaitUntil([&] { return sim.Loader().active; }, 10s));
    port->Close();
  }

  DownloadResult Run() {
    auto port = MakeNativeSerialPort();
    return RunDownload(*port, settings, clock, ui, state, timing);
  }

  // The data packets the loader received, in order.
  std::vector<std::string> PacketsReceived() const {
    std::vector<std::string> packets;
    for (const auto& l : sim.Loader().lines) {
      if (l.size() > 1 && l[0] == 'S' && l[1] == '3') packets.push_back(l);
    }
    return packets;
  }

  // The image the loader kept as one run at `address`.
  std::vector<std::uint8_t> Kept(std::uint32_t address) const {
    const auto image = sim.LoaderImage();
    if (image.size() != 1 || image.begin()->first != address) return {};
    return image.begin()->second;
  }

  sim::Simulator sim;
  SteadyClock clock;
  ScriptedUi ui;
  PortSettings settings;
  DownloadState state;
  DownloadTiming timing;
  testing::TempDir dir;
};

const std::vector<std::uint8_t> kSmallData = [] {
  std::vector<std::uint8_t> data;
  for (int r = 0; r < 20; ++r) {
    const auto s = Sequence(16, static_cast<std::uint8_t>(r));
    data.insert(data.end(), s.begin(), s.end());
  }
  return data;
}();

// ---- real images ----

#ifdef TESSARO_OBJCOPY
class ObjcopyImageTest : public DownloadPtyTest {
 protected:
  // Some 24 KiB of a real program: this test's own executable.
  std::string RealBinary() {
    std::string bytes = ReadFile("/proc/self/exe");
    bytes.resize(std::min<std::size_t>(bytes.size(), 24 * 1024 + 13));
    return dir.Write("program.bin", bytes);
  }

  std::string Objcopy(const std::string& binary, const std::string& options,
                      const std::string& name) {
    std::string out = dir.Name(name);
    const std::string command =
        std::string(TESSARO_OBJCOPY) + " -I binary -O srec " + options + " " + binary + " " + out;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
  }

  void RoundTrip(const std::string& options, std::uint32_t address, const char* dataType,
                 const char* endType) {
    const std::string binary = RealBinary();
    ui.imagePath = Objcopy(binary, options, "program.abo");
    const std::string text = ReadFile(ui.imagePath);
    ASSERT_EQ(text.substr(0, 2), "S0");  // objcopy's header: no data for the base
    ASSERT_NE(text.find(std::string("\n") + dataType), std::string::npos);
    ASSERT_NE(text.find(std::string("\n") + endType), std::string::npos);

    EnterLoader();
    EXPECT_EQ(Run(), DownloadResult::kCompleted);
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"Update Base's Program: Downloaded completely."});
    const std::string expected = ReadFile(binary);
    const auto kept = Kept(address);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), expected);
    EXPECT_EQ(sim.Loader().completed, 1);
    EXPECT_EQ(sim.Loader().packetsRefused, 0);
  }
};

TEST_F(ObjcopyImageTest, ThirtyTwoBitRecordsArriveByteForByte) {
  RoundTrip("--srec-forceS3 --adjust-vma 0x08000000", 0x08000000, "S3", "S7");
}

TEST_F(ObjcopyImageTest, TwentyFourBitRecordsArriveByteForByte) {
  RoundTrip("--srec-len 32 --adjust-vma 0x012000", 0x012000, "S2", "S8");
}

TEST_F(ObjcopyImageTest, SixteenBitRecordsArriveByteForByte) {
  RoundTrip("--adjust-vma 0x0400", 0x0400, "S1", "S9");
}
#endif

// ---- the line as the loader sees it ----

TEST_F(DownloadPtyTest, TheLoaderSeesTheHandshakeThePacketsAndTheEnd) {
  settings.baudIndex = 4;  // 9600 for the session; the download ignores it
  EnterLoader();
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  const auto lines = sim.Loader().lines;
  ASSERT_EQ(lines.size(), 3u + 4u + 1u);
  EXPECT_EQ(lines[0], "\r");
  EXPECT_EQ(lines[1], "QUORVAN\r");
  EXPECT_EQ(lines[2], "DOWNLOAD\r");
  EXPECT_EQ(lines[3].size(), 105u);
  EXPECT_EQ(lines.back(), testing::EndPacket());
  EXPECT_EQ(Kept(0x20000), kSmallData);
  EXPECT_EQ(sim.LineSpeed(), 115200);
  // Released: the simulator sees the line let go.
  EXPECT_TRUE(sim.WaitUntil([&] { return !sim.LineHeld(); }, 10s));
}

TEST_F(DownloadPtyTest, FnToTheFirstCrGoesStraightToThePackets) {
  LoaderConfig config;
  config.wakeReply = "FN";
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  const auto lines = sim.Loader().lines;
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "\r");
  EXPECT_EQ(lines[1][0], 'S');
}

TEST_F(DownloadPtyTest, FfToTheMakerWordBeginsEachTryAgain) {
  LoaderConfig config;
  config.makerReply = "FF";
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  const std::vector<std::string> three = {"\r", "QUORVAN\r", "\r", "QUORVAN\r", "\r", "QUORVAN\r"};
  EXPECT_EQ(sim.Loader().lines, three);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Program Download: Base station is not ready to download!"});
}

TEST_F(DownloadPtyTest, SilenceToTheMakerWordBeginsEachTryAgain) {
  timing.replyWaitMs = kShortWaitMs;
  LoaderConfig config;
  config.makerReply = "";
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_EQ(sim.Loader().lines.size(), 6u);
  EXPECT_EQ(sim.Loader().lines[2], "\r");
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(DownloadPtyTest, RepliesInTwoPiecesAreTakenWhole) {
  LoaderConfig config;
  config.splitReplies = true;
  config.splitGapMs = 20;
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(PacketsReceived().size(), 4u);
  EXPECT_EQ(Kept(0x20000), kSmallData);
}

TEST_F(DownloadPtyTest, BytesAfterTheCrCostAWaitButLoseNothing) {
  timing.replyWaitMs = kShortWaitMs;
  LoaderConfig config;
  config.splitReplies = true;  // "F", then "A", CR and "?" in one piece
  config.trailingAtPacket = 1;
  config.trailingBytes = "?";
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(Kept(0x20000), kSmallData);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(DownloadPtyTest, APacketLeftUnansweredIsSentAgain) {
  timing.replyWaitMs = kShortWaitMs;
  LoaderConfig config;
  config.silentAtPacket = 2;
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  const auto packets = PacketsReceived();
  ASSERT_EQ(packets.size(), 5u);
  EXPECT_EQ(packets[1], packets[2]);
  EXPECT_EQ(Kept(0x20000), kSmallData);
}

TEST_F(DownloadPtyTest, TheEndPacketsReplyIsNotLookedAt) {
  timing.replyWaitMs = kShortWaitMs;
  for (const char* reply : {"FF", ""}) {
    LoaderConfig config;
    config.endReply = reply;
    EnterLoader(config);
    ui.messages.clear();
    EXPECT_EQ(Run(), DownloadResult::kCompleted) << reply;
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"Update Base's Program: Downloaded completely."});
  }
}

// ---- failures and the retry ----

TEST_F(DownloadPtyTest, FnThreeTimesIsATimeOutAndTheRetryStartsFromTheFirstByte) {
  LoaderConfig config;
  config.fnBurstAtPacket = 2;
  config.fnBurstLength = 3;
  EnterLoader(config);
  ui.retryAnswers = {true};
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"FN: Error : Time out !!",
                                      "Update Base's Program: Downloaded completely."}));
  const auto lines = sim.Loader().lines;
  // Handshake, packet 1, packet 2 three times; handshake, packets 1 to 4, end.
  ASSERT_EQ(lines.size(), 3u + 1u + 3u + 3u + 4u + 1u);
  EXPECT_EQ(lines[7], "\r");
  EXPECT_EQ(lines[10], lines[3]);
  EXPECT_EQ(Kept(0x20000), kSmallData);
}

TEST_F(DownloadPtyTest, AFaultIsReportedAndADeclinedRetryReleasesThePort) {
  LoaderConfig config;
  config.faultAtPacket = 3;
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Fault on downloading!"});
  EXPECT_EQ(ui.events.back(), "ask Program Download: Download failed, would you like to retry?");
  EXPECT_EQ(PacketsReceived().size(), 3u);
  EXPECT_TRUE(sim.WaitUntil([&] { return !sim.LineHeld(); }, 10s));
  // Released: the port opens again at once.
  auto port = MakeNativeSerialPort();
  EXPECT_TRUE(port->Open("COM1"));
}

TEST_F(DownloadPtyTest, ASilentBaseIsNotReady) {
  timing.replyWaitMs = kShortWaitMs;
  LoaderConfig config;
  config.silent = true;
  EnterLoader(config);
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_EQ(sim.Loader().lines.size(), 6u);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Program Download: Base station is not ready to download!"});
}

TEST_F(DownloadPtyTest, APortThatCannotBeOpened) {
  EnterLoader();
  // Held by another program.
  auto other = MakeNativeSerialPort();
  ASSERT_TRUE(other->Open("COM1"));
  EXPECT_EQ(Run(), DownloadResult::kCannotOpen);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Can not open the COM port!"});
  other->Close();
  // Not there at all.
  ::setenv("TESSARO_COM2", (dir.Path() + "/no-such-tty").c_str(), 1);
  settings.portIndex = 1;
  ui.messages.clear();
  EXPECT_EQ(Run(), DownloadResult::kCannotOpen);
  ::unsetenv("TESSARO_COM2");
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Can not open the COM port!"});
  EXPECT_TRUE(sim.Loader().lines.empty());
}

TEST_F(DownloadPtyTest, MalformedFilesAreRefusedWithNothingSent) {
  EnterLoader();
  const std::string good = Record('3', 0x100, Sequence(16));
  const std::string end = Record('7', 0, {});
  testing::RecordOptions badSum, badCount;
  badSum.checksumDelta = 3;
  badCount.countDelta = 2;
  std::string notHex = good;
  notHex[12] = 'Z';
  std::string oddLength = good;
  oddLength.erase(5, 1);
  const std::string files[] = {
      good + notHex + end,
      good + oddLength + end,
      good + Record('3', 0x110, Sequence(16), badCount) + end,
      good + Record('3', 0x110, Sequence(16), badSum) + end,
      good + good,
      "",
  };
  const auto bytesBefore = sim.Stats().bytesIn;
  for (const auto& text : files) {
    ui.imagePath = dir.Write("bad.abo", text);
    ui.messages.clear();
    EXPECT_EQ(Run(), DownloadResult::kStopped);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(
                  "No program data was sent to the base; it may be waiting in update mode."),
              std::string::npos)
        << ui.messages[0];
  }
  EXPECT_TRUE(sim.Loader().lines.empty());
  EXPECT_EQ(sim.Stats().bytesIn, bytesBefore);
}

}  // namespace
}  // namespace tessaro
