#pragma once

#include <cstdint>
#include <iterator>

#include "protocol/Digits.h"

namespace tessaro {

// Statistics of the link test kept beside the view's counters.  The counters
// of a terminal cell are what the view shows (five digits that wrap back to
// 1); these are the run's true figures: 64-bit totals, the spread of the
// reply times, runs of losses and a per-second series.  They are updated on
// the same paths as the counters, under the same engine lock, and allocate
// nothing.  A front end copies one terminal's struct (or all of them) under
// the lock and reads the copy at leisure.

// How many seconds of the per-second series each terminal keeps: the last
// two minutes.  A front end that wants a longer series copies it out more
// often than that.
inline constexpr std::uint32_t kSeriesSeconds = 120;

// The reply-time histogram's upper bounds in ms (a reply of exactly a bound
// counts in that bucket), chosen around radio round trips of tens to
// hundreds of ms and time-outs of seconds; one more bucket holds the rest.
inline constexpr std::int32_t kReplyTimeBoundsMs[] = {5,   10,  25,   50,   75,   100,
                                                      250, 500, 1000, 2500, 5000, 10000};
inline constexpr int kReplyTimeBounds = static_cast<int>(std::size(kReplyTimeBoundsMs));

// The bucket of a reply time: 0 .. kReplyTimeBounds (the last is above every bound).
constexpr int ReplyTimeBucket(std::int32_t ms) {
  int b = 0;
  while (b < kReplyTimeBounds && ms > kReplyTimeBoundsMs[b]) ++b;
  return b;
}

// One second of one terminal's test.  Second 0 starts when the counters were
// cleared (START, or a mode change).  A loss counts in the second in which it
// was found: for a time-out that is up to a tick after the time-out passed.
struct SecondSample {
  std::uint32_t sent = 0;          // ACTIVE: packets sent; PASSIVE: messages received
  std::uint32_t good = 0;          // ACTIVE: good echoes; PASSIVE: "@OK" on an echo
  std::uint32_t lost = 0;          // ACTIVE: time-outs; PASSIVE: "@NG" on an echo
  std::uint32_t replyTimeSum = 0;  // ms, over the `good` measurements of that second
};

struct TerminalStatistics {
  // True totals of the run; they never wrap.
  std::int64_t sent = 0;        // ACTIVE: packets sent; PASSIVE: messages received
  std::int64_t good = 0;        // ACTIVE: good echoes; PASSIVE: measured "@OK" reports
  std::int64_t lost = 0;        // ACTIVE: time-outs; PASSIVE: "@NG" reports
  std::int64_t duplicates = 0;  // PASSIVE only
  std::int64_t unanswered = 0;  // drew neither report nor echo within the time-out
  // Over the `good` measurements, in ms as the view shows them (clipped at
  // 99999): the sum and the sum of squares give the mean and the deviation.
  std::int64_t replyTimeSum = 0;
  std::uint64_t replyTimeSquares = 0;
  std::int32_t replyTimeMin = 0;  // 0 until the first measurement
  std::int32_t replyTimeMax = 0;
  std::int32_t replyTimeLast = 0;  // the latest measurement
  // How many of the `good` measurements fell in each bucket (not cumulative).
  std::int64_t replyTimeBuckets[kReplyTimeBounds + 1] = {};
  // Losses since the last good reply, and the longest such run.
  std::int64_t lossRun = 0;
  std::int64_t longestLossRun = 0;
  // The per-second series: a ring holding the seconds newestSecond - 119 ..
  // newestSecond (those before second 0 do not exist).  A second after
  // newestSecond had no event and counts zero.
  std::uint32_t newestSecond = 0;
  SecondSample series[kSeriesSeconds] = {};
};

// The statistics of every terminal number 1..99 (slot 0 unused), like
// TerminalStats.
struct LinkStatistics {
  std::uint32_t startTick = 0;  // clock tick of second 0
  TerminalStatistics terminal[kMaxTerminal + 1];
};

// Clears every terminal in place (the struct is too large for a temporary on
// a small thread stack) and starts second 0 at `nowTick`.
void ResetStatistics(LinkStatistics& statistics, std::uint32_t nowTick);

// The events, for terminal t (1..99) at clock tick `nowTick`.
void NoteSent(LinkStatistics& statistics, int t, std::uint32_t nowTick);
void NoteReply(LinkStatistics& statistics, int t, std::uint32_t nowTick, std::int32_t replyTime);
void NoteLoss(LinkStatistics& statistics, int t, std::uint32_t nowTick);
void NoteDuplicate(LinkStatistics& statistics, int t);

// Figures read from a copy.
double MeanReplyTime(const TerminalStatistics& s);  // 0 without a measurement
double MeanReplyTime(const SecondSample& s);        // 0 without a measurement
// Whether terminal `s` was counted at all in this run.
bool TookPart(const TerminalStatistics& s);
// The standard deviation of the measured reply times (over all of them, not
// an estimate from a sample); 0 with fewer than two.
double ReplyTimeDeviation(const TerminalStatistics& s);
// ACTIVE: the share of the packets settled (echoed or timed out) that were
// lost, lost / (good + lost).  PASSIVE: the share of the received messages
// whose echo the base refused, lost / received.  0 when nothing was settled.
double LossPercent(bool passive, std::int64_t sent, std::int64_t good, std::int64_t lost);
// The divisor of LossPercent: good + lost (ACTIVE) or received (PASSIVE).
std::int64_t Settled(bool passive, std::int64_t sent, std::int64_t good, std::int64_t lost);
// Packets sent and neither echoed nor timed out yet (ACTIVE).
std::int64_t Outstanding(const TerminalStatistics& s);
// The sample of `second`: false when it has left the ring already.
bool SampleAt(const TerminalStatistics& s, std::uint32_t second, SecondSample& out);

// The figures of one terminal that the front ends show and export.
struct TerminalFigures {
  std::int64_t sent = 0;        // ACTIVE: packets sent; PASSIVE: messages received
  std::int64_t good = 0;        // ACTIVE: good echoes; PASSIVE: echoes reported "@OK"
  std::int64_t lost = 0;        // ACTIVE: time-outs; PASSIVE: echoes reported "@NG"
  std::int64_t duplicates = 0;  // PASSIVE
  std::int32_t replyMin = 0;
  std::int32_t replyMax = 0;
  double replyMean = 0.0;
  double replyDeviation = 0.0;
  std::int64_t longestLossRun = 0;
  double lossPercent = 0.0;
};
TerminalFigures FiguresOf(const TerminalStatistics& s, bool passive);

}  // namespace tessaro
