#include "linktest/LinkTest.h"

#include "linktest/CounterRules.h"

namespace tessaro {

LinkTest::LinkTest(TestState& test, const TestCriteria& criteria, const StationRegistry& registry,
                   PortWriter& port, Display& display, Clock& clock)
    : test_(test),
      criteria_(criteria),
      registry_(registry),
      port_(port),
      display_(display),
      clock_(clock) {}

void LinkTest::DrawCounter(int terminal, Counter counter, std::int32_t value, int colourClass) {
  display_.ShowCounter(terminal, counter, value, colourClass);
}

void LinkTest::SendTestPacket(int t) {
  if (!IsTerminalNumber(t)) return;
  WriteTestPacket(t);
  DrawCounter(t, Counter::Sent, test_.stats.sdReCount[t], kBlue);
}

void LinkTest::WriteTestPacket(int t) {
  TerminalStats& s = test_.stats;
  s.state[t] = ReplyState::kIdle;
  NextSequence(s.sequence[t]);
  const std::size_t length = packet_.BuildPacket(t, s.sequence[t], criteria_.dataLength);
  lastMessageLength_ = 0;  // the buffer no longer holds a PASSIVE message
  port_.Write(packet_.Data(), length);
  // Taken after the write returns: a write that blocks on a full line must
  // not count towards the reply time.
  s.sendTick[t] = clock_.NowMs();
  NoteSent(test_.statistics, t, s.sendTick[t]);
  CountSent(s.sdReCount[t]);
}

void LinkTest::ToggleLinkMode() {
  if (test_.Running()) return;
  test_.linkMode = test_.linkMode == kActive ? kPassive : kActive;
  display_.SetButtons(Buttons(true));
  ResetTestCounters(true);
}

void LinkTest::ToggleTestRun() {
  if (!test_.Running() && test_.linkMode != kActive) return;
  test_.testRun = test_.Running() ? TestRun::Stopped : TestRun::Running;
  display_.SetButtons(Buttons(true));
  if (!test_.Running()) {
    display_.SetSupervisionTimer(false);
    return;
  }
  ResetTestCounters(true);
  SendToEveryListedTerminal();
}

void LinkTest::ResumeRun() {
  if (test_.Running() || test_.linkMode != kActive) return;
  test_.testRun = TestRun::Running;
  display_.SetButtons(Buttons(true));
  SendToEveryListedTerminal();
}

void LinkTest::SendToEveryListedTerminal() {
  display_.SetSupervisionTimer(true);
  for (int b = 1; b <= registry_.highestBase && b <= kMaxBase; ++b) {
    if (!registry_.rows[b].present) continue;
    const int highest = registry_.highestTerminal[b];
    for (int t = 1; t <= highest && t <= kMaxTerminal; ++t) {
      if (!registry_.rows[b].terminal[t]) continue;
      SendTestPacket(t);
      test_.stats.started[t] = 1;
    }
  }
}

void LinkTest::StopRun() {
  test_.testRun = TestRun::Stopped;
  display_.SetSupervisionTimer(false);
}

void LinkTest::ResetTestCounters(bool redraw) {
  test_.stats = TerminalStats{};
  ResetStatistics(test_.statistics, clock_.NowMs());
  lastMessageLength_ = 0;
  if (!redraw) return;
  const bool active = test_.linkMode == kActive;
  for (int b = 1; b <= kMaxBase; ++b) {
    if (!registry_.rows[b].present) continue;
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (!registry_.rows[b].terminal[t]) continue;
      DrawCounter(t, active ? Counter::Sent : Counter::Received, 0, kBlue);
      DrawCounter(t, active ? Counter::Ok : Counter::Duplicate, 0, kBlue);
      DrawCounter(t, Counter::NoGood, 0, kBlue);
      DrawCounter(t, Counter::ReplyTime, 0, kRed);
      DrawCounter(t, Counter::Average, 0, kRed);
    }
  }
}

ButtonState LinkTest::Buttons(bool portOpen) const {
  ButtonState s;
  s.modeText = ModeButtonText(test_.linkMode);
  s.runText = RunButtonText(test_.testRun);
  s.modeEnabled = portOpen && !test_.Running();
  s.runEnabled = portOpen && test_.linkMode == kActive;
  return s;
}

}  // namespace tessaro
