#include "linktest/LinkStatistics.h"

#include <cmath>
#include <limits>

namespace tessaro {

namespace {

// The sample of the second at `nowTick`, the ring moved on to it first.  The
// seconds skipped in between had no event and are cleared on the way.
SecondSample& SampleNow(LinkStatistics& statistics, TerminalStatistics& s, std::uint32_t nowTick) {
  const std::uint32_t second = (nowTick - statistics.startTick) / 1000u;
  if (second > s.newestSecond) {
    const std::uint32_t gap = second - s.newestSecond;
    const std::uint32_t clear = gap < kSeriesSeconds ? gap : kSeriesSeconds;
    for (std::uint32_t i = 1; i <= clear; ++i) {
      s.series[(s.newestSecond + i) % kSeriesSeconds] = SecondSample{};
    }
    s.newestSecond = second;
  }
  // A tick older than the newest second (never from a steady clock) counts
  // in the newest one rather than in a second already shown.
  return s.series[s.newestSecond % kSeriesSeconds];
}

void AddSaturated(std::uint32_t& to, std::uint32_t value) {
  to = value > std::numeric_limits<std::uint32_t>::max() - to
           ? std::numeric_limits<std::uint32_t>::max()
           : to + value;
}

}  // namespace

void ResetStatistics(LinkStatistics& statistics, std::uint32_t nowTick) {
  statistics.startTick = nowTick;
  for (TerminalStatistics& s : statistics.terminal) s = TerminalStatistics{};
}

void NoteSent(LinkStatistics& statistics, int t, std::uint32_t nowTick) {
  TerminalStatistics& s = statistics.terminal[t];
  ++s.sent;
  AddSaturated(SampleNow(statistics, s, nowTick).sent, 1);
}

void NoteReply(LinkStatistics& statistics, int t, std::uint32_t nowTick, std::int32_t replyTime) {
  TerminalStatistics& s = statistics.terminal[t];
  const auto ms = static_cast<std::uint32_t>(replyTime < 0 ? 0 : replyTime);
  ++s.good;
  s.replyTimeSum += ms;
  s.replyTimeSquares += static_cast<std::uint64_t>(ms) * ms;
  if (s.good == 1 || replyTime < s.replyTimeMin) s.replyTimeMin = replyTime;
  if (replyTime > s.replyTimeMax) s.replyTimeMax = replyTime;
  s.replyTimeLast = replyTime;
  ++s.replyTimeBuckets[ReplyTimeBucket(replyTime)];
  s.lossRun = 0;
  SecondSample& sample = SampleNow(statistics, s, nowTick);
  AddSaturated(sample.good, 1);
  AddSaturated(sample.replyTimeSum, ms);
}

void NoteLoss(LinkStatistics& statistics, int t, std::uint32_t nowTick) {
  TerminalStatistics& s = statistics.terminal[t];
  ++s.lost;
  if (++s.lossRun > s.longestLossRun) s.longestLossRun = s.lossRun;
  AddSaturated(SampleNow(statistics, s, nowTick).lost, 1);
}

void NoteDuplicate(LinkStatistics& statistics, int t) {
  ++statistics.terminal[t].duplicates;
}

double MeanReplyTime(const TerminalStatistics& s) {
  if (s.good <= 0) return 0.0;
  return static_cast<double>(s.replyTimeSum) / static_cast<double>(s.good);
}

double ReplyTimeDeviation(const TerminalStatistics& s) {
  if (s.good < 2) return 0.0;
  const long double n = static_cast<long double>(s.good);
  const long double mean = static_cast<long double>(s.replyTimeSum) / n;
  const long double variance = static_cast<long double>(s.replyTimeSquares) / n - mean * mean;
  // Rounding can leave a tiny negative variance for equal times.
  return variance > 0 ? static_cast<double>(std::sqrt(variance)) : 0.0;
}

std::int64_t Settled(bool passive, std::int64_t sent, std::int64_t good, std::int64_t lost) {
  return passive ? sent : good + lost;
}

double LossPercent(bool passive, std::int64_t sent, std::int64_t good, std::int64_t lost) {
  const std::int64_t settled = Settled(passive, sent, good, lost);
  if (settled <= 0) return 0.0;
  return 100.0 * static_cast<double>(lost) / static_cast<double>(settled);
}

std::int64_t Outstanding(const TerminalStatistics& s) {
  const std::int64_t out = s.sent - s.good - s.lost;
  return out > 0 ? out : 0;
}

double MeanReplyTime(const SecondSample& s) {
  return s.good > 0 ? static_cast<double>(s.replyTimeSum) / s.good : 0.0;
}

bool TookPart(const TerminalStatistics& s) {
  return s.sent != 0 || s.good != 0 || s.lost != 0 || s.duplicates != 0;
}

TerminalFigures FiguresOf(const TerminalStatistics& s, bool passive) {
  TerminalFigures f;
  f.sent = s.sent;
  f.good = s.good;
  f.lost = s.lost;
  f.duplicates = s.duplicates;
  f.replyMin = s.replyTimeMin;
  f.replyMax = s.replyTimeMax;
  f.replyMean = MeanReplyTime(s);
  f.replyDeviation = ReplyTimeDeviation(s);
  f.longestLossRun = s.longestLossRun;
  f.lossPercent = LossPercent(passive, s.sent, s.good, s.lost);
  return f;
}

bool SampleAt(const TerminalStatistics& s, std::uint32_t second, SecondSample& out) {
  if (second > s.newestSecond) {
    out = SecondSample{};
    return true;
  }
  if (s.newestSecond - second >= kSeriesSeconds) return false;
  out = s.series[second % kSeriesSeconds];
  return true;
}

}  // namespace tessaro
