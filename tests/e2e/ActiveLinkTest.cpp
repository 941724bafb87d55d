// An ACTIVE test over a real pty: every counter agrees with what the
// simulator saw on the line and did to each packet.

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "app/ViewNotices.h"
#include "e2e/E2eSupport.h"
#include "support/PtyPair.h"

namespace tessaro::e2e {
namespace {

using ActiveLinkTest = EngineOnSimulator;

const std::vector<int> kTerminals = {1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24};

// The sequence numbers of the test packets the simulator received, by terminal.
std::map<int, std::vector<int>> SequencesOnTheLine(const std::vector<std::string>& received) {
  std::map<int, std::vector<int>> sequences;
  for (const std::string& m : received) {
    if (m.rfind("@DT", 0) != 0 || m.size() < 10) continue;
    sequences[std::stoi(m.substr(3, 2))].push_back(std::stoi(m.substr(5, 4)));
  }
  return sequences;
}

// The native port, counting the opens asked of it.
class CountedOpens final : public SerialPort {
 public:
  explicit CountedOpens(SerialPort& port) : port_(port) {}
  int opens = 0;
  bool Open(const char* name) override {
    ++opens;
    return port_.Open(name);
  }
  bool ApplyLineSettings(const LineSettings& line) override {
    return port_.ApplyLineSettings(line);
  }
  void SetQueuesAndTimeouts(const PortTimeouts& t) override { port_.SetQueuesAndTimeouts(t); }
  WaitResult WaitReadable(int timeoutMs) override { return port_.WaitReadable(timeoutMs); }
  void Wake() override { port_.Wake(); }
  long Read(char* buffer, std::size_t size) override { return port_.Read(buffer, size); }
  long Write(const char* bytes, std::size_t count) override { return port_.Write(bytes, count); }
  void PurgeInput() override { port_.PurgeInput(); }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return port_.IsOpen(); }

 private:
  SerialPort& port_;
};

TEST_F(ActiveLinkTest, CountersAgreeWithWhatTheNetworkDidToEveryPacket) {
  sim::Scenario scenario = Network({{1, 2, 3, 4}, {11, 12, 13, 14}, {21, 22, 23, 24}});
  scenario.delay = {20, 80};
  scenario.faults.echoLoss = 0.05;
  scenario.seed = 11;
  Start(scenario);
  OpenAndDiscover(12);
  simulator->ClearRecords();
  const std::size_t firstMessage = simulator->ReceivedCount();

  engine->ToggleTestRun();
  // While the test runs every terminal has exactly one packet out: each
  // echo and each time-out sends the next one under the same lock.
  int samples = 0;
  Run(4000, [&] {
    const TerminalStats s = Stats();
    for (int t : kTerminals) {
      EXPECT_EQ(s.sdReCount[t] - s.okDpCount[t] - s.ngCount[t], 1) << "terminal " << t;
    }
    ++samples;
  });
  EXPECT_GE(samples, 8);
  engine->ToggleTestRun();  // STOP

  // Echoes already on their way are still counted; wait for all of them.
  auto echoed = [&](int t) {
    int n = 0;
    for (const sim::EchoRecord& r : simulator->Echoes(t)) n += r.fate == sim::EchoFate::kEchoed;
    return n;
  };
  ASSERT_TRUE(WaitFor([&] {
    const TerminalStats s = Stats();
    for (int t : kTerminals) {
      if (s.okDpCount[t] != echoed(t)) return false;
    }
    return true;
  }));

  const TerminalStats s = Stats();
  const std::map<int, std::vector<int>> sequences =
      SequencesOnTheLine(simulator->Received(firstMessage));
  int lostTotal = 0;
  for (int t : kTerminals) {
    SCOPED_TRACE("terminal " + std::to_string(t));
    const std::vector<sim::EchoRecord> records = simulator->Echoes(t);
    ASSERT_FALSE(records.empty());
    int lost = 0;
    std::vector<int> delays;
    for (const sim::EchoRecord& r : records) {
      ASSERT_TRUE(r.fate == sim::EchoFate::kEchoed || r.fate == sim::EchoFate::kLost);
      if (r.fate == sim::EchoFate::kLost) ++lost;
      if (r.fate == sim::EchoFate::kEchoed) delays.push_back(r.delayMs);
    }
    lostTotal += lost;
    const bool lastLost = records.back().fate == sim::EchoFate::kLost;

    // SD = OK + NG + the packet still out (a lost one the stopped timer no
    // longer counts).
    EXPECT_EQ(s.sdReCount[t], static_cast<int>(records.size()));
    EXPECT_EQ(s.okDpCount[t], static_cast<int>(delays.size()));
    EXPECT_EQ(s.ngCount[t], lost - (lastLost ? 1 : 0));
    EXPECT_EQ(s.sdReCount[t], s.okDpCount[t] + s.ngCount[t] + (lastLost ? 1 : 0));

    // Every packet carried the next sequence number: none repeats, none is skipped.
    const std::vector<int>& seen = sequences.at(t);
    std::vector<int> expected(seen.size());
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(static_cast<int>(seen.size()), s.sdReCount[t]);

    // A reply time is the delay the network applied plus the time on the
    // line and in the two programs: never less than the delay (less a
    // millisecond of tick rounding), and the average likewise.
    const double meanDelay =
        std::accumulate(delays.begin(), delays.end(), 0.0) / static_cast<double>(delays.size());
    EXPECT_GE(s.average[t], meanDelay - 5);
    EXPECT_LE(s.average[t], meanDelay + 250);
    EXPECT_EQ(s.average[t], s.replyTimeSum[t] / s.okDpCount[t]);
    if (!lastLost) {
      EXPECT_GE(s.replyTime[t], records.back().delayMs - 5);
      EXPECT_LE(s.replyTime[t], records.back().delayMs + 1000);
    }
  }
  // With 5% loss over some hundreds of packets the time-out path was exercised.
  EXPECT_GT(lostTotal, 0);
}

// The far end hangs up mid-test (the adapter pulled): the test stops where it
// was, the packets that were out are not counted lost, nothing more is sent
// or counted however long the timer would have run, and Close still closes.
TEST_F(ActiveLinkTest, ALostLinkStopsTheTestWithoutCountingLoss) {
  Start(Network({{1, 2}}));
  TestCriteria criteria = engine->Criteria();
  criteria.timeoutSeconds = 1;
  engine->SetCriteria(criteria);
  OpenAndDiscover(2);
  engine->ToggleTestRun();
  Run(1500);
  simulator->Stop();
  ASSERT_TRUE(WaitFor([&] { return engine->IsLinkLost(); }));
  const TerminalStats atLoss = Stats();
  EXPECT_GT(atLoss.sdReCount[1], 0);

  Run(3000);  // well past the 1.1 s time-out of the packets that were out
  const TerminalStats after = Stats();
  for (int t : {1, 2}) {
    EXPECT_EQ(after.sdReCount[t], atLoss.sdReCount[t]) << "terminal " << t;
    EXPECT_EQ(after.ngCount[t], atLoss.ngCount[t]) << "terminal " << t;
  }
  EXPECT_FALSE(display.TimerRunning());
  EXPECT_FALSE(display.Buttons().runEnabled);
  EXPECT_FALSE(display.Buttons().modeEnabled);
  EXPECT_STREQ(engine->Snapshot().notice, kLinkLostMark);
  // START refuses on a lost link.
  engine->ToggleTestRun();
  EXPECT_EQ(Stats().sdReCount[1], atLoss.sdReCount[1]);

  engine->Close();
  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_EQ(engine->Snapshot().notice, nullptr);
}

// Open on a line where nothing answers: after some seconds pane 0 and the
// view say so; the first base that answers takes the hint away.
TEST_F(ActiveLinkTest, NoBaseAnsweringIsShownUntilOneDoes) {
  testing::PtyPair silent;
  ASSERT_TRUE(silent.Ok());
  port = std::make_unique<PathPort>(*native, silent.SlavePath());
  engine = std::make_unique<Engine>(display, clock, *port);
  ASSERT_TRUE(engine->Open());
  EXPECT_EQ(engine->Snapshot().notice, nullptr);
  ASSERT_TRUE(WaitFor([&] {
    const char* notice = engine->Snapshot().notice;
    return notice != nullptr && std::string(notice) == kNoBaseMark;
  }));
  EXPECT_EQ(display.Pane0(), kNoBaseText);

  engine->Feed("@BS0111\r", 8);
  EXPECT_EQ(engine->Snapshot().notice, nullptr);
  EXPECT_EQ(display.Pane0(), "  ");
}

// The window's reconnect: the same line name comes back with a new pty
// behind it; the test that the loss stopped goes on from its counters.
TEST_F(ActiveLinkTest, AReconnectGoesOnFromTheCountersOfTheLoss) {
  char dir[] = "/tmp/tessaro-reconnect-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const sim::Endpoint where{"", std::string(dir) + "/line"};
  simulator = std::make_unique<sim::Simulator>(Network({{1, 2}}));
  ASSERT_TRUE(simulator->Start(where));
  CountedOpens counted(*native);
  port = std::make_unique<PathPort>(counted, where.linkPath);
  engine = std::make_unique<Engine>(display, clock, *port);
  engine->SetAutoReconnect(true);
  OpenAndDiscover(2);
  engine->ToggleTestRun();
  Run(1500);
  simulator->Stop();
  ASSERT_TRUE(WaitFor([&] { return engine->IsLinkLost(); }));
  // The device is still gone: however often asked, it is tried again only
  // after a pause that grows.
  const int opens = counted.opens;
  for (int tick = 0; tick < 200; ++tick) engine->ReconnectTick();
  EXPECT_TRUE(engine->IsLinkLost());
  EXPECT_EQ(counted.opens, opens + 1);
  const TerminalStats atLoss = Stats();

  ASSERT_TRUE(simulator->Start(where));
  ASSERT_TRUE(WaitFor([&] {
    engine->ReconnectTick();
    return !engine->IsLinkLost();
  }));
  EXPECT_TRUE(display.TimerRunning());
  EXPECT_TRUE(display.Buttons().runEnabled);
  Run(1500);
  const TerminalStats after = Stats();
  for (int t : {1, 2}) {
    EXPECT_GT(after.okDpCount[t], atLoss.okDpCount[t]) << "terminal " << t;
    EXPECT_EQ(after.ngCount[t], atLoss.ngCount[t]) << "terminal " << t;
  }
  engine->Close();
  simulator->Stop();
  rmdir(dir);
}

}  // namespace
}  // namespace tessaro::e2e
