// Network ports against a real device server (ser2net on 127.0.0.1) in
// front of the simulator's pty: discovery and the link test through each
// accepter, a base baud change and the download's line settings on the far
// line, a whole download with 0xFF bytes, and the server dying mid-test.

#include <stdlib.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <fcntl.h>

#include <filesystem>

#include "download/DownloadFakes.h"
#include "download/DownloadSession.h"
#include "download/SRecordText.h"
#include "e2e/E2eSupport.h"
#include "remote/Ser2net.h"

namespace tessaro::e2e {
namespace {

using testing::Ser2net;

// The speed the pty's slave side is set to, read with tcgetattr.
speed_t SlaveSpeed(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return B0;
  termios t{};
  const speed_t speed = tcgetattr(fd, &t) == 0 ? cfgetospeed(&t) : B0;
  ::close(fd);
  return speed;
}

class RemotePortTest : public EngineOnSimulator {
 protected:
  void SetUp() override {
    if (!Ser2net::Installed()) {
      GTEST_SKIP() << "ser2net is not installed (" << testing::kSer2netPath
                   << "): scripts/install-deps.sh installs it";
    }
  }

  // The simulator, ser2net on its line, and an engine that opens `url(server)`.
  template <typename Url>
  void StartThroughServer(const sim::Scenario& scenario, Url url) {
    Start(scenario);
    std::string error;
    ASSERT_TRUE(server.Start(dir.Name(""), simulator->SlavePath(), 115200, &error)) << error;
    port = std::make_unique<PathPort>(*native, url(server));
    engine = std::make_unique<Engine>(display, clock, *port);
  }

  int SentSoFar() {
    const TerminalStats s = Stats();
    int sent = 0;
    for (int t = 1; t <= kMaxTerminal; ++t) sent += s.sdReCount[t];
    return sent;
  }

  // Runs the ACTIVE test until `packets` more were sent.
  void RunUntilSent(int packets) {
    const int from = SentSoFar();
    ASSERT_TRUE(WaitFor([&] {
      if (display.TimerRunning()) engine->SuperviseTick();
      return SentSoFar() >= from + packets;
    })) << SentSoFar() - from
        << " sent";
  }

  testing::TempDir dir;
  Ser2net server;
};

struct Accepter {
  const char* name;
  std::string (*url)(const Ser2net&);
};
const Accepter kAccepters[] = {
    {"rfc2217", [](const Ser2net& s) { return s.Rfc2217Url(); }},
    {"raw tcp", [](const Ser2net& s) { return s.RawUrl(); }},
};

TEST_F(RemotePortTest, DiscoveryAndAnActiveTestRunThroughEachAccepter) {
  for (const Accepter& a : kAccepters) {
    SCOPED_TRACE(a.name);
    StartThroughServer(Network({{1, 2}, {5}}), a.url);
    OpenAndDiscover(3);
    engine->ToggleTestRun();
    RunUntilSent(30);
    engine->ToggleTestRun();
    // Every echo the simulator sent came back whole through the server.
    ASSERT_TRUE(WaitFor([&] {
      const TerminalStats s = Stats();
      for (int t : {1, 2, 5}) {
        int echoed = 0;
        for (const sim::EchoRecord& r : simulator->Echoes(t))
          echoed += r.fate == sim::EchoFate::kEchoed;
        if (s.okDpCount[t] != echoed || s.sdReCount[t] == 0) return false;
      }
      return true;
    }));
    engine->ShutDown();
    engine.reset();
    server.Stop();
  }
}

TEST_F(RemotePortTest, ABaudChangeReachesTheFarLine) {
  StartThroughServer(Network({{1}}), [](const Ser2net& s) { return s.Rfc2217Url(); });
  OpenAndDiscover(1);
  EXPECT_EQ(SlaveSpeed(simulator->SlavePath()), B115200);
  engine->ChangeBaud(1, 4);  // 9600
  ASSERT_TRUE(WaitFor([&] { return simulator->BaseSpeed() == 9600; }));
  engine->Close();
  ASSERT_TRUE(engine->Open());
  EXPECT_EQ(SlaveSpeed(simulator->SlavePath()), B9600);
  // The base answers at its new speed, which it only can when the pty runs at it.
  engine->QueryTerminals();
  ASSERT_TRUE(WaitFor([&] { return ListedTerminals() == 1; }));
}

TEST_F(RemotePortTest, AWholeDownloadWithFFBytesArrivesByteForByte) {
  for (const Accepter& a : kAccepters) {
    SCOPED_TRACE(a.name);
    Start(Network({{1}}));
    std::string error;
    ASSERT_TRUE(server.Start(dir.Name(""), simulator->SlavePath(), 115200, &error)) << error;
    ::setenv("TESSARO_COM1", a.url(server).c_str(), 1);

    testing::Bytes data;
    for (int i = 0; i < 2048; ++i) data.push_back(i % 5 == 0 ? 0xFF : static_cast<std::uint8_t>(i));
    std::string text = testing::Record('0', 0, {'t', 's'});
    for (std::size_t at = 0; at < data.size(); at += 32) {
      text += testing::Record('3', 0x20000 + static_cast<std::uint32_t>(at),
                              testing::Bytes(data.begin() + static_cast<long>(at),
                                             data.begin() + static_cast<long>(at) + 32));
    }
    text += testing::Record('7', 0, {});
    testing::ScriptedUi ui;
    ui.imagePath = dir.Write("ff.abo", text);

    // "@UP01" over a first connection, then the download's own open: the
    // server sees a close and at once a new connection.
    simulator->SetLoader({});
    {
      auto first = MakeNativeSerialPort();
      ASSERT_TRUE(first->Open("COM1"));
      ASSERT_TRUE(first->ApplyLineSettings(DownloadLineSettings()));
      ASSERT_EQ(first->Write("@UP01\r", 6), 6);
      ASSERT_TRUE(simulator->WaitUntil([&] { return simulator->Loader().active; },
                                       std::chrono::seconds(10)));
    }
    auto port = MakeNativeSerialPort();
    PortSettings settings;
    DownloadState state;
    DownloadTiming timing;
    timing.pauseMs = 50;
    EXPECT_EQ(RunDownload(*port, settings, clock, ui, state, timing), DownloadResult::kCompleted);
    const sim::Image image = simulator->LoaderImage();
    ASSERT_EQ(image.size(), 1u);
    EXPECT_EQ(image.begin()->first, 0x20000u);
    EXPECT_TRUE(image.begin()->second == data);
    ::unsetenv("TESSARO_COM1");
    server.Stop();
    simulator->Stop();
  }
}

TEST_F(RemotePortTest, TheServerDyingMidTestIsALostLinkAndItsReturnAReconnect) {
  StartThroughServer(Network({{1, 2}}), [](const Ser2net& s) { return s.Rfc2217Url(); });
  OpenAndDiscover(2);
  engine->ToggleTestRun();
  RunUntilSent(10);

  server.Kill();
  ASSERT_TRUE(WaitFor([&] { return engine->IsLinkLost(); }));
  // Nothing listens now: the reopen fails and the link stays lost.
  EXPECT_FALSE(engine->Reconnect());

  std::string error;
  ASSERT_TRUE(server.Restart(&error)) << error;
  ASSERT_TRUE(WaitFor([&] { return engine->Reconnect(); }));
  EXPECT_FALSE(engine->IsLinkLost());
  RunUntilSent(10);
  engine->ToggleTestRun();
}

}  // namespace
}  // namespace tessaro::e2e
