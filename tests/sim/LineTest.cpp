// The line itself: start and stop, the PC closing and reopening, pacing, and
// not spinning while nobody holds the port.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "tests/sim/SimFixture.h"

namespace tessaro::sim::testing {
namespace {

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string TempPath(const char* name) {
  return ::testing::TempDir() + name + std::to_string(getpid());
}

TEST(SimulatorLine, StartPublishesTheSlaveAndStopRemovesTheLink) {
  const std::string link = TempPath("basesim-link-");
  Simulator sim;
  std::string error;
  ASSERT_TRUE(sim.Start(Endpoint{"", link}, &error)) << error;
  EXPECT_TRUE(sim.Running());
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(sim.SlavePath(), target);
  EXPECT_FALSE(sim.Start(&error));  // already running
  EXPECT_FALSE(error.empty());
  sim.Stop();
  sim.Stop();  // idempotent
  EXPECT_FALSE(sim.Running());
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0);
}

TEST(SimulatorLine, StartFailsClearlyOnABadEndpointOrScenario) {
  std::string error;
  Simulator sim;
  EXPECT_FALSE(sim.Start(Endpoint{"/nonexistent/tty", ""}, &error));
  EXPECT_NE(error.find("/nonexistent/tty"), std::string::npos) << error;

  // A link name that is a real file is not replaced.
  const std::string file = TempPath("basesim-file-");
  {
    FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  error.clear();
  EXPECT_FALSE(sim.Start(Endpoint{"", file}, &error));
  EXPECT_NE(error.find("not a symlink"), std::string::npos) << error;
  std::remove(file.c_str());

  Scenario bad = Scenario::Default();
  bad.attachedBase = 9;
  Simulator badSim(bad);
  error.clear();
  EXPECT_FALSE(badSim.Start(&error));
  EXPECT_NE(error.find("attached"), std::string::npos) << error;
}

TEST(SimulatorLine, AnswersEachNewOpenerAfterTheLastOneClosed) {
  Simulator sim(QuickScenario());
  ASSERT_TRUE(sim.Start());
  for (int round = 0; round < 5; ++round) {
    PcPort pc(sim.SlavePath());
    ASSERT_TRUE(pc.IsOpen());
    pc.Send("@TM02\r");
    EXPECT_EQ(pc.ReadMessage(), "@TM020708\r") << "round " << round;
    pc.Close();
    ASSERT_TRUE(sim.WaitUntil([&] { return !sim.LineHeld(); }, 5s));
  }
  EXPECT_EQ(sim.Stats().opens, 5u);
}

TEST(SimulatorLine, WhatThePcDidNotReadIsNotKeptForTheNextOpener) {
  Scenario s = QuickScenario();
  s.delay = {200, 200};
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  {
    PcPort pc(sim.SlavePath());
    pc.Send("@DT010001\r@BS\r");
    ASSERT_TRUE(sim.WaitUntil([&] { return sim.Stats().bytesOut > 0; }, 5s));
  }  // closed with the answers unread and the echo still due
  ASSERT_TRUE(sim.WaitUntil([&] { return !sim.LineHeld(); }, 5s));
  ASSERT_TRUE(sim.WaitUntil(
      [&] { return !sim.Echoes().empty() && sim.Echoes()[0].fate == EchoFate::kDropped; }, 5s));
  PcPort pc(sim.SlavePath());
  pc.Send("@TM02\r");
  EXPECT_EQ(pc.ReadMessage(), "@TM020708\r");
  EXPECT_EQ(pc.Stray(), "");
}

TEST(SimulatorLine, DoesNotSpinWhileNobodyHoldsTheLine) {
  Scenario s = QuickScenario();
  s.passive.ratePerTerminal = 5.0;  // timers keep running meanwhile
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  {
    PcPort pc(sim.SlavePath());
    pc.Send("@BS\r");
    ASSERT_FALSE(pc.ReadMessage().empty());
  }
  const double before = ProcessCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  sim.WaitUntil([] { return false; }, 1000ms);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // A spinning loop burns a whole core; a sleeping one next to nothing.
  EXPECT_LT(ProcessCpuSeconds() - before, 0.4 * wall);
  EXPECT_FALSE(sim.LineHeld());
}

TEST(SimulatorLine, UnpacedOutputIsNotHeldBack) {
  Simulator sim(QuickScenario());
  ASSERT_TRUE(sim.Start());
  PcPort pc(sim.SlavePath());
  ASSERT_TRUE(sim.WaitUntil([&] { return sim.LineHeld(); }, 5s));
  sim.InjectRaw(std::string(20000, 'x'));
  std::size_t got = 0;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (got < 20000 && std::chrono::steady_clock::now() < deadline) {
    got += pc.Collect(50ms).size();
  }
  EXPECT_EQ(got, 20000u);
}

// Pacing at 19200 bps delivers about 1,920 bytes a second.  Measured loosely
// over a second: never faster than the line, and not starved either.
TEST(SimulatorLine, PacingDeliversAboutTheBaudRate) {
  Scenario s = QuickScenario();
  s.bases[0].baudIndex = 3;  // 19200
  s.line.pace = true;
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  PcPort pc(sim.SlavePath(), 19200);
  ASSERT_TRUE(sim.WaitUntil([&] { return sim.LineHeld(); }, 5s));
  sim.InjectRaw(std::string(6000, 'x'));
  pc.Collect(200ms);  // past the start
  const auto start = std::chrono::steady_clock::now();
  const std::size_t bytes = pc.Collect(1000ms).size();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double rate = static_cast<double>(bytes) / seconds;
  EXPECT_LT(rate, 1920.0 * 1.25);
  EXPECT_GT(rate, 1920.0 * 0.3);
}

TEST(SimulatorLine, PacingFollowsTheSpeedThePcSet) {
  Scenario s = QuickScenario();
  s.bases[0].baudIndex = 6;  // 2400: 240 bytes a second
  s.line.pace = true;
  Simulator sim(s);
  ASSERT_TRUE(sim.Start());
  PcPort pc(sim.SlavePath(), 2400);
  ASSERT_TRUE(sim.WaitUntil([&] { return sim.LineHeld(); }, 5s));
  EXPECT_EQ(sim.LineSpeed(), 2400);
  sim.InjectRaw(std::string(2000, 'x'));
  const std::size_t bytes = pc.Collect(1000ms).size();
  EXPECT_LT(bytes, 2000u / 2);  // far below what an unpaced line delivers at once
  EXPECT_GT(bytes, 0u);
  sim.SetPacing(false);
  std::size_t rest = 0;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (bytes + rest < 2000 && std::chrono::steady_clock::now() < deadline)
    rest += pc.Collect(50ms).size();
  EXPECT_EQ(bytes + rest, 2000u);
}

// A serial device: here the slave of a pty whose master plays the PC.  The
// simulator sets the device's speed itself and follows "@SP" and the loader.
TEST(SimulatorLine, OnADeviceTheSpeedFollowsSpAndTheLoader) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string device = ptsname(master);
  PcPort pc;
  pc.Adopt(master);
  Simulator sim(QuickScenario());
  std::string error;
  ASSERT_TRUE(sim.Start(Endpoint{device, ""}, &error)) << error;
  EXPECT_EQ(sim.SlavePath(), device);
  EXPECT_TRUE(sim.LineHeld());
  EXPECT_EQ(sim.LineSpeed(), 115200);
  pc.Send("@SP9600\r");
  EXPECT_EQ(pc.ReadMessage(), "@SP9600,5\r");
  EXPECT_TRUE(sim.WaitUntil([&] { return sim.LineSpeed() == 9600; }, 5s));
  pc.Send("@BS\r");  // a device's far end cannot be seen: its speed is trusted
  EXPECT_EQ(pc.ReadMessage(), "@BS011102120523\r");
  pc.Send("@UP01\r");
  EXPECT_TRUE(sim.WaitUntil([&] { return sim.LineSpeed() == 115200; }, 5s));
  pc.Send(std::string("S7\x05\x00\x00\x00\x00\xFA\r", 9));
  EXPECT_EQ(pc.ReadLine(), "FA\r");
  EXPECT_TRUE(sim.WaitUntil([&] { return sim.LineSpeed() == 9600; }, 5s));
  sim.Stop();
}

TEST(SimulatorLine, TheWaitHelpersGiveUpAtTheirDeadline) {
  Simulator sim(QuickScenario());
  ASSERT_TRUE(sim.Start());
  EXPECT_FALSE(sim.WaitForMessage("@BS", 50ms));
  PcPort pc(sim.SlavePath());
  pc.Send("@TM01\r@BS\r");
  EXPECT_TRUE(sim.WaitForMessage("@BS", 5s));
  EXPECT_TRUE(sim.WaitForMessage("@TM01", 5s, 0));
  EXPECT_FALSE(sim.WaitForMessage("@TM01", 50ms, 1));  // only from index 1 on
  EXPECT_EQ(sim.Received(1), std::vector<std::string>{"@BS\r"});
  sim.ClearRecords();
  EXPECT_TRUE(sim.Received().empty());
}

}  // namespace
}  // namespace tessaro::sim::testing
