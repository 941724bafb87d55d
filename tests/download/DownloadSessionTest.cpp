#include "download/DownloadSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DownloadFakes.h"
#include "SRecordText.h"

namespace tessaro {
namespace {

using testing::ManualClock;
using testing::Record;
using testing::ScriptedPort;
using testing::ScriptedUi;
using testing::Sequence;

// The base's loader as the tests need it: a reply per handshake line, "FA"
// to packets unless told otherwise.
struct LoaderScript {
  std::string wake = "ACK0";
  std::string maker = "ACK1";
  std::string request = "ACK2";
  std::string packet = "FA";
  int faultAtPacket = 0;  // "FF" to this data packet (counted from 1, across attempts)
  int packets = 0;

  void Answer(ScriptedPort& port, const std::string& written) {
    std::string reply;
    if (written == "\r") {
      reply = wake;
    } else if (written == "QUORVAN\r") {
      reply = maker;
    } else if (written == "DOWNLOAD\r") {
      reply = request;
    } else if (written.size() > 1 && written[1] == '3') {
      reply = ++packets == faultAtPacket ? "FF" : packet;
    } else {
      reply = "FA";
    }
    if (!reply.empty()) port.Deliver(reply + "\r", 1);
  }
};

class DownloadSessionTest : public ::testing::Test {
 protected:
  DownloadSessionTest() : port(clock) {
    port.responder = [this](const std::string& w) { loader.Answer(port, w); };
    timing.pauseMs = 0;
    image = Record('3', 0x100, Sequence(16)) + Record('3', 0x110, Sequence(16, 16)) +
            Record('7', 0, {});
    ui.imagePath = dir.Write("prog.abo", image);
  }

  DownloadResult Run() { return RunDownload(port, settings, clock, ui, state, timing); }

  // The writes from the first "\r" on, handshake lines shown as text.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const auto& w : port.writes) {
      lines.push_back(w.size() > 1 && w[0] == 'S' ? std::string("packet ") + w[1] : w);
    }
    return lines;
  }

  ManualClock clock{5000};
  ScriptedPort port;
  ScriptedUi ui;
  LoaderScript loader;
  PortSettings settings;
  DownloadState state;
  DownloadTiming timing;
  testing::TempDir dir;
  std::string image;
};

// ---- the whole download ----

TEST_F(DownloadSessionTest, ADownloadRunsHandshakePacketsAndTheFinalMessage) {
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{"\r", "QUORVAN\r", "DOWNLOAD\r", "packet 3", "packet 7"}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Update Base's Program: Downloaded completely.");
  EXPECT_EQ(ui.boxes[0], DownloadBox::kPlain);
  EXPECT_EQ(ui.owners[0], BoxOwner::kView);
  EXPECT_EQ(port.events,
            (std::vector<std::string>{"open COM1", "line settings", "purge", "close"}));
  EXPECT_FALSE(port.IsOpen());
  // The progress dialog is up exactly while the packets go.
  EXPECT_EQ(ui.events.front(), "choose");
  EXPECT_EQ(ui.events[1], "show progress");
  EXPECT_EQ(ui.events[ui.events.size() - 2], "hide progress");
  EXPECT_GT(ui.paints, 0);
}

TEST_F(DownloadSessionTest, TheLineSettingsAreFixedWhateverThePortSettingsSay) {
  settings.portIndex = 2;
  settings.baudIndex = 4;
  settings.dataBitsIndex = 0;
  settings.parityIndex = 1;
  settings.flowIndex = 1;
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(port.events.front(), "open COM3");
  const LineSettings& line = port.lastLine;
  EXPECT_EQ(line.baudRate, 115200u);
  EXPECT_EQ(line.byteSize, 8);
  EXPECT_EQ(line.parity, kNoParity);
  EXPECT_EQ(line.stopBits, kOneStopBit);
  EXPECT_EQ(line.DtrControl(), kDtrControlEnable);
  EXPECT_EQ(line.RtsControl(), kRtsControlEnable);
  EXPECT_FALSE(line.OutxCtsFlow());
  EXPECT_FALSE(line.OutX());
  EXPECT_EQ(line.flags,
            (1u << LineSettings::kDtrControlShift) | (1u << LineSettings::kRtsControlShift));
  EXPECT_EQ(port.lastTimeouts.inputQueue, 256);
  EXPECT_EQ(port.lastTimeouts.outputQueue, 1200);
  EXPECT_EQ(port.lastTimeouts.writeMsPerByte, 5);
  EXPECT_EQ(port.lastTimeouts.writeConstantMs, 50);
}

TEST_F(DownloadSessionTest, TheFileDialogOffersThePathChosenLast) {
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  ASSERT_EQ(ui.offeredPaths.size(), 2u);
  EXPECT_EQ(ui.offeredPaths[0], "");
  EXPECT_EQ(ui.offeredPaths[1], ui.imagePath);
}

// ---- the handshake ----

TEST_F(DownloadSessionTest, FnOrFfToTheFirstCrSkipsTheRestOfTheHandshake) {
  for (const char* ready : {"FN", "FF"}) {
    loader.wake = ready;
    port.writes.clear();
    EXPECT_EQ(Run(), DownloadResult::kCompleted) << ready;
    EXPECT_EQ(Lines(), (std::vector<std::string>{"\r", "packet 3", "packet 7"})) << ready;
  }
}

TEST_F(DownloadSessionTest, FnToTheMakerWordOrTheRequestMeansReady) {
  loader.maker = "FN";
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"\r", "QUORVAN\r", "packet 3", "packet 7"}));
  port.writes.clear();
  loader.maker = "ACK1";
  loader.request = "FN";
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(Lines().size(), 5u);
}

TEST_F(DownloadSessionTest, FfOrSilenceToTheMakerWordBeginsTheNextTry) {
  int makerWords = 0;
  port.responder = [&](const std::string& w) {
    if (w == "QUORVAN\r") {
      ++makerWords;
      if (makerWords == 1) return port.Deliver("FF\r", 1);
      if (makerWords == 2) return;  // silence
    }
    loader.Answer(port, w);
  };
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"\r", "QUORVAN\r", "\r", "QUORVAN\r", "\r",
                                               "QUORVAN\r", "DOWNLOAD\r", "packet 3", "packet 7"}));
}

TEST_F(DownloadSessionTest, ThreeFailedTriesAreNotReadyAndAskForARetry) {
  loader.request = "NO";
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  std::vector<std::string> three;
  for (int i = 0; i < 3; ++i) {
    three.insert(three.end(), {"\r", "QUORVAN\r", "DOWNLOAD\r"});
  }
  EXPECT_EQ(Lines(), three);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Program Download: Base station is not ready to download!");
  EXPECT_EQ(ui.events.back(), "ask Program Download: Download failed, would you like to retry?");
  EXPECT_EQ(port.events.back(), "close");
}

TEST_F(DownloadSessionTest, ASilentBaseTakesTwelveSecondsToGiveUp) {
  port.responder = nullptr;
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_EQ(port.writes.size(), 6u);
  EXPECT_GE(ElapsedMs(clock.now, 5000), 12000);
  EXPECT_LT(ElapsedMs(clock.now, 5000), 12100);
}

// ---- the failure table ----

TEST_F(DownloadSessionTest, CancellingTheFileDialogEndsQuietly) {
  ui.imagePath.clear();
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_TRUE(port.events.empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DownloadSessionTest, AnImageThatCannotBeOpenedLeavesThePortAlone) {
  ui.imagePath = dir.Path() + "/missing.abo";
  EXPECT_EQ(Run(), DownloadResult::kCannotOpen);
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Can not open the file!"});
  EXPECT_EQ(ui.owners[0], BoxOwner::kView);
}

TEST_F(DownloadSessionTest, APortThatCannotBeOpened) {
  port.refuseOpen = true;
  EXPECT_EQ(Run(), DownloadResult::kCannotOpen);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Can not open the COM port!"});
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(DownloadSessionTest, RefusedLineSettingsAreReportedWithoutOwnerAndReleaseThePort) {
  port.refuseSettings = true;
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Program Download: Failed to set communication state"});
  EXPECT_EQ(ui.owners[0], BoxOwner::kNone);
  EXPECT_EQ(ui.boxes[0], DownloadBox::kWarning);
  EXPECT_TRUE(port.writes.empty());
  EXPECT_EQ(port.events.back(), "close");
}

TEST_F(DownloadSessionTest, AFaultOnAPacketAsksForARetryThatStartsFromTheFirstByte) {
  loader.faultAtPacket = 2;
  image = "";
  for (int r = 0; r < 12; ++r) image += Record('3', 0x100 + 16 * r, Sequence(16));
  image += Record('7', 0, {});
  ui.imagePath = dir.Write("twelve.abo", image);
  ui.retryAnswers = {true};
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Program Download: Fault on downloading!",
                                      "Update Base's Program: Downloaded completely."}));
  // First attempt: handshake, packet 1, packet 2 refused.  Then it all again.
  EXPECT_EQ(Lines(), (std::vector<std::string>{"\r", "QUORVAN\r", "DOWNLOAD\r", "packet 3",
                                               "packet 3", "\r", "QUORVAN\r", "DOWNLOAD\r",
                                               "packet 3", "packet 3", "packet 7"}));
  EXPECT_EQ(port.writes[3], port.writes[8]);
  EXPECT_EQ(port.writes[4], port.writes[9]);
  // The port stays open between attempts.
  EXPECT_EQ(port.events,
            (std::vector<std::string>{"open COM1", "line settings", "purge", "close"}));
}

TEST_F(DownloadSessionTest, ATimeOutOnAPacketIsCaptionedWithTheLastLine) {
  loader.packet = "FN";
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"FN: Error : Time out !!"});
  EXPECT_EQ(ui.events[ui.events.size() - 2], "hide progress");
}

TEST_F(DownloadSessionTest, ADeclinedRetryReleasesEverything) {
  loader.packet = "FF";
  ui.retryAnswers = {false};
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  EXPECT_EQ(port.events.back(), "close");
  EXPECT_EQ(port.events[port.events.size() - 2], "purge");
  EXPECT_FALSE(port.IsOpen());
}

// ---- files refused before anything is sent ----

TEST_F(DownloadSessionTest, ABadFileIsRefusedBeforeTheHandshake) {
  const std::string bad[] = {
      Record('3', 0, Sequence(4)),                        // no end record
      "S3090000000001020304E9\r\n" + Record('7', 0, {}),  // wrong checksum
      "S3090000000001020304D\r\n" + Record('7', 0, {}),   // odd length
      "S30A0000000001020304DC\r\n" + Record('7', 0, {}),  // count disagrees
      "S309000000000102030GDC\r\n" + Record('7', 0, {}),  // not hex
      "",                                                 // empty
  };
  for (const auto& text : bad) {
    SCOPED_TRACE(text);
    port.writes.clear();
    ui.messages.clear();
    ui.imagePath = dir.Write("bad.abo", text);
    EXPECT_EQ(Run(), DownloadResult::kStopped);
    EXPECT_TRUE(port.writes.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("Program Download: Error on downloading!\n", 0), 0u);
    EXPECT_NE(ui.messages[0].find(
                  "No program data was sent to the base; it may be waiting in update mode."),
              std::string::npos);
  }
}

TEST_F(DownloadSessionTest, AFileMendedBeforeTheRetryIsDownloaded) {
  const std::string path = dir.Write("mend.abo", Record('3', 0, Sequence(4)));
  ui.imagePath = path;
  ui.retryAnswers = {true};
  ui.onRetry = [&] { dir.Write("mend.abo", image); };
  EXPECT_EQ(Run(), DownloadResult::kCompleted);
  EXPECT_EQ(Lines().front(), "\r");
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(DownloadSessionTest, AnImageGoneBeforeTheRetryFailsThatAttempt) {
  loader.packet = "FF";
  ui.retryAnswers = {true};
  ui.onRetry = [&] { ::unlink(ui.imagePath.c_str()); };
  EXPECT_EQ(Run(), DownloadResult::kStopped);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1],
            "Program Download: Error on downloading!\nThe image file can not be read.\n"
            "No program data was sent to the base; it may be waiting in update mode.");
}

// A device that goes away and an operator who stops end the download at
// once, after the line on the way has been answered, and no retry is offered.
TEST_F(DownloadSessionTest, AGoneLineOrAStopEndsTheDownloadAtOnce) {
  std::string twoPackets;
  for (int i = 0; i < 8; ++i) twoPackets += Record('3', 0x100 + 16 * i, Sequence(16));
  ui.imagePath = dir.Write("two.abo", twoPackets + Record('7', 0, {}));
  const std::vector<std::string> handshake = {"\r", "QUORVAN\r", "DOWNLOAD\r"};
  const struct {
    const char* what;
    std::function<void(const std::string&)> onWrite;
    std::vector<std::string> lines;
    const char* message;
  } cases[] = {
      {"hang-up in the handshake",
       [&](const std::string& w) {
         if (w == "QUORVAN\r") port.hungUp = true;
       },
       {"\r", "QUORVAN\r"},
       "Program Download: The serial device went away."},
      {"hang-up after a packet",
       [&](const std::string& w) {
         if (w[0] == 'S') port.hungUp = true;
       },
       {"\r", "QUORVAN\r", "DOWNLOAD\r", "packet 3"},
       "Program Download: The serial device went away."},
      {"stop while a packet is out",
       [&](const std::string& w) {
         if (w[0] == 'S') ui.stop = true;
       },
       {"\r", "QUORVAN\r", "DOWNLOAD\r", "packet 3"},
       "Program Download: Download interrupted."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    port.writes.clear();
    port.hungUp = ui.stop = false;
    ui.messages.clear();
    ui.events.clear();
    ui.retryAnswers = {true};
    port.responder = [&](const std::string& w) {
      loader.Answer(port, w);
      c.onWrite(w);
    };
    EXPECT_EQ(Run(), DownloadResult::kStopped);
    EXPECT_EQ(Lines(), c.lines);
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(ui.retryAnswers.size(), 1u);  // not asked
    EXPECT_FALSE(port.IsOpen());
  }
}

}  // namespace
}  // namespace tessaro
