// What comes back during the link test: echoes and terminal data ("@DT"), the
// base's reports on them ("@OK", "@NG") and the supervision tick that counts
// a packet lost once its time-out has passed.

#include <cstdint>
#include <cstring>

#include "linktest/CounterRules.h"
#include "linktest/LinkTest.h"

namespace tessaro {

namespace {

// "@DT", base, terminal and "\r": a shorter message names no terminal.
constexpr std::size_t kShortestDataMessage = 8;
constexpr std::size_t kDataStart = 7;

}  // namespace

void LinkTest::Measure(int t) {
  RecordReply(t, false);
  DrawReply(t);
}

void LinkTest::RecordReply(int t, bool repeat) {
  TerminalStats& s = test_.stats;
  const std::uint32_t now = clock_.NowMs();
  const std::int32_t replyTime = ClipReplyTime(now - s.sendTick[t]);
  s.replyTime[t] = replyTime;
  if (repeat) {
    NoteDuplicate(test_.statistics, t);
  } else {
    NoteReply(test_.statistics, t, now, replyTime);
  }
  s.replyTimeSum[t] += replyTime;
  s.average[t] = AverageReplyTime(s.replyTimeSum[t], s.replyCount[t]);
}

void LinkTest::DrawReply(int t) {
  DrawCounter(t, Counter::ReplyTime, test_.stats.replyTime[t], kRed);
  DrawCounter(t, Counter::Average, test_.stats.average[t], kRed);
}

void LinkTest::AccountDataMessage(const char* m, std::size_t n) {
  // Checked before any array is indexed: the numbers must be two decimal
  // digits naming a real base and terminal, and the message must fit the
  // test packet buffer that keeps it (the assembler never makes a longer one).
  if (n < kShortestDataMessage || n >= TestPacketBuffer::kSize) return;
  const int b = DecodeTwoDigits(m, n, 3);
  const int t = DecodeTwoDigits(m, n, 5);
  if (!IsBaseNumber(b) || !IsTerminalNumber(t)) return;
  if (test_.linkMode == kActive) {
    AccountEcho(b, t, m, n);
  } else {
    AccountPassiveData(t, m, n);
  }
}

void LinkTest::AccountEcho(int b, int t, const char* m, std::size_t n) {
  TerminalStats& s = test_.stats;
  // No packet since the counters were cleared: nothing can be echoed.
  if (s.sequence[t] == 0) return;
  const std::size_t expected = packet_.BuildExpectedData(s.sequence[t], criteria_.dataLength);
  lastMessageLength_ = 0;
  const std::size_t received = n - 1 - kDataStart;
  if (received != expected || std::memcmp(m + kDataStart, packet_.Data(), expected) != 0) {
    if (IsEchoOfPreviousPacket(t, m + kDataStart, received)) NoteDuplicate(test_.statistics, t);
    return;
  }

  // The view counts a repeated echo as it comes (it cannot tell one apart
  // once the test stopped); the run's figures count it a duplicate, so that
  // good never exceeds sent.
  const bool repeat = AnsweredAlready(test_.statistics.terminal[t]);
  CountWithWrap(s.okDpCount[t]);
  ++s.replyCount[t];
  RecordReply(t, repeat);
  // The next packet leaves before anything is drawn, so that its reply time
  // never carries the drawing; the cells are drawn in the same order as ever.
  const bool next = test_.Running() && registry_.IsTerminalPresent(b, t);
  if (next) WriteTestPacket(t);
  DrawCounter(t, Counter::Ok, s.okDpCount[t], kBlue);
  DrawReply(t);
  if (next) DrawCounter(t, Counter::Sent, s.sdReCount[t], kBlue);
}

bool LinkTest::IsEchoOfPreviousPacket(int t, const char* data, std::size_t length) {
  if (test_.statistics.terminal[t].sent < 2) return false;
  const std::int32_t sequence = test_.stats.sequence[t];
  const std::int32_t previous = sequence <= 1 ? 9999 : sequence - 1;
  const std::size_t expected = packet_.BuildExpectedData(previous, criteria_.dataLength);
  return length == expected && std::memcmp(data, packet_.Data(), expected) == 0;
}

void LinkTest::AccountPassiveData(int t, const char* m, std::size_t n) {
  TerminalStats& s = test_.stats;
  const std::size_t kept = n - 1;  // the message without its "\r"
  if (s.sdReCount[t] != 0 && lastMessageLength_ == kept &&
      std::memcmp(packet_.Data(), m, kept) == 0) {
    CountWithWrap(s.okDpCount[t]);
    NoteDuplicate(test_.statistics, t);
  }
  CountWithWrap(s.sdReCount[t]);
  ++s.replyCount[t];
  DrawCounter(t, Counter::Received, s.sdReCount[t], kBlue);

  // The echo is the message with the base number taken out.
  char* echo = packet_.Text();
  std::memcpy(echo, "@DT", 3);
  std::memmove(echo + 3, m + 5, n - 5);
  port_.Write(echo, n - 2);
  s.sendTick[t] = clock_.NowMs();
  NoteSent(test_.statistics, t, s.sendTick[t]);

  lastMessageLength_ = packet_.Store(m, kept);
  DrawCounter(t, Counter::Duplicate, s.okDpCount[t], kBlue);
  s.state[t] = ReplyState::kAwaiting;
}

void LinkTest::AccountOkReport(int t) {
  if (!IsTerminalNumber(t)) return;
  TerminalStats& s = test_.stats;
  if (test_.linkMode == kActive) {
    s.state[t] = ReplyState::kAwaiting;
    return;
  }
  // A report with no message received since the counters were cleared is on
  // an echo from before the reset: its send tick is gone and there is no
  // count to average over, so it is not measured.
  if (s.replyCount[t] > 0) Measure(t);
  s.state[t] = ReplyState::kIdle;
}

void LinkTest::AccountNgReport(int t) {
  if (!IsTerminalNumber(t)) return;
  TerminalStats& s = test_.stats;
  if (test_.linkMode == kActive) {
    s.state[t] = ReplyState::kRefused;
    return;
  }
  CountWithWrap(s.ngCount[t]);
  NoteLoss(test_.statistics, t, clock_.NowMs());
  DrawCounter(t, Counter::NoGood, s.ngCount[t], kRed);
  s.state[t] = ReplyState::kIdle;
}

void LinkTest::SuperviseTick() {
  if (!test_.Running()) return;
  TerminalStats& s = test_.stats;
  // 64 bits: a time-out read from the criteria dialog may be any 32-bit value.
  const std::int64_t limit = static_cast<std::int64_t>(criteria_.timeoutSeconds) * 1100;
  for (int b = 1; b <= registry_.highestBase && b <= kMaxBase; ++b) {
    if (!registry_.rows[b].present) continue;
    const int highest = registry_.highestTerminal[b];
    for (int t = 1; t <= highest && t <= kMaxTerminal; ++t) {
      if (!registry_.rows[b].terminal[t]) continue;
      const std::uint32_t now = clock_.NowMs();
      const std::int32_t elapsed = ElapsedMs(now, s.sendTick[t]);
      if (s.state[t] == ReplyState::kIdle) {
        // Neither echo nor report: the view waits on; the figures count it.
        if (test_.linkMode == kActive && s.sequence[t] != 0 && elapsed > limit) {
          NoteUnanswered(test_.statistics, t, now);
        }
        continue;
      }
      // Unclipped and not drawn: a repaint shows how long the packet has been out.
      s.replyTime[t] = elapsed;
      if (elapsed <= limit) continue;
      if (watcher_ != nullptr) watcher_->OnTimeOut(t);
      CountTimeOut(t);
    }
  }
}

void LinkTest::CountTimeOut(int t) {
  if (!IsTerminalNumber(t)) return;
  TerminalStats& s = test_.stats;
  CountTimeout(s.ngCount[t]);
  NoteLoss(test_.statistics, t, clock_.NowMs());
  DrawCounter(t, Counter::NoGood, s.ngCount[t], kBlack);
  if (test_.linkMode == kActive && test_.Running()) SendTestPacket(t);
}

}  // namespace tessaro
