// A PASSIVE test over a real pty: the terminals' own traffic, duplicates
// included, is counted and echoed as the view defines it.

#include <string>
#include <vector>

#include "e2e/E2eSupport.h"

namespace tessaro::e2e {
namespace {

using PassiveLinkTest = EngineOnSimulator;

const std::vector<int> kTerminals = {1, 2, 3, 11, 12, 13};

std::string Payload(int dataLength) {
  std::string p;
  for (int i = 0; i < dataLength - 5; ++i) p += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i % 36];
  return p;
}

TEST_F(PassiveLinkTest, CountsEchoesAndTimesTheTerminalsOwnTraffic) {
  sim::Scenario scenario = Network({{1, 2, 3}, {11, 12, 13}});
  scenario.delay = {5, 15};
  scenario.faults.echoDuplicate = 0.25;  // a message sent twice in a row
  scenario.faults.ngRate = 0.1;          // the base reports "@NG" on an echo
  scenario.seed = 5;
  Start(scenario);
  OpenAndDiscover(6);
  engine->ToggleLinkMode();
  EXPECT_STREQ(display.Buttons().modeText, "PASSIVE");
  EXPECT_FALSE(display.Buttons().runEnabled);
  simulator->ClearRecords();

  simulator->SetPassive({2.0, 15});
  Run(4000);
  simulator->SetPassive({0.0, 15});
  // Every message echoed and every echo reported on.
  ASSERT_TRUE(WaitFor([&] {
    for (const sim::PassiveRecord& r : simulator->Passive()) {
      if (!r.echoed) return false;
    }
    const TerminalStats s = Stats();
    for (int t : kTerminals) {
      if (s.state[t] != ReplyState::kIdle) return false;
    }
    return true;
  }));

  const std::vector<sim::PassiveRecord> records = simulator->Passive();
  ASSERT_GT(records.size(), 20u);
  // What the line carried, in order: each message, and the echo the PC must send.
  std::vector<std::string> echoes;
  int re[kMaxTerminal + 1] = {};
  int dp[kMaxTerminal + 1] = {};
  int ng[kMaxTerminal + 1] = {};
  double okDelaySum[kMaxTerminal + 1] = {};
  sim::Report lastReport[kMaxTerminal + 1] = {};
  int duplicates = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const sim::PassiveRecord& r = records[i];
    char head[16];
    std::snprintf(head, sizeof head, "@DT%02d%04d", r.terminal, r.sequence);
    echoes.push_back(head + Payload(15) + "\r");
    ++re[r.terminal];
    // Only an identical message right after its twin is a duplicate.
    if (i > 0 && records[i - 1].terminal == r.terminal && records[i - 1].base == r.base &&
        records[i - 1].sequence == r.sequence) {
      ++dp[r.terminal];
      ++duplicates;
    }
    if (r.report == sim::Report::kNg) ++ng[r.terminal];
    if (r.report == sim::Report::kOk) okDelaySum[r.terminal] += r.delayMs;
    lastReport[r.terminal] = r.report;
    EXPECT_TRUE(r.intact);
  }
  EXPECT_GT(duplicates, 0);
  EXPECT_EQ(simulator->PassiveEchoesReceived(), echoes);

  const TerminalStats s = Stats();
  for (int t : kTerminals) {
    SCOPED_TRACE("terminal " + std::to_string(t));
    EXPECT_EQ(s.sdReCount[t], re[t]);
    EXPECT_EQ(s.okDpCount[t], dp[t]);
    EXPECT_EQ(s.ngCount[t], ng[t]);
    if (re[t] == 0) continue;
    // AV is the sum of the report times over the messages received, taken at
    // each "@OK".  When the terminal's last message drew "@OK", that report
    // came after every message, so AV holds the final sum over the final RE.
    if (lastReport[t] == sim::Report::kOk) {
      EXPECT_EQ(s.average[t], s.replyTimeSum[t] / re[t]);
    }
    // Each report time is the delay the network applied, plus the time on the
    // line; one that comes after the terminal's next message is timed from
    // that later echo, and short: the lower bound allows for a few.
    const double expected = okDelaySum[t] / re[t];
    const double measured = static_cast<double>(s.replyTimeSum[t]) / re[t];
    EXPECT_GE(measured, expected - 10);
    EXPECT_LE(measured, expected + 250);
  }
}

}  // namespace
}  // namespace tessaro::e2e
