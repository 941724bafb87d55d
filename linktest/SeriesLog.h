#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "linktest/LinkStatistics.h"

namespace tessaro {

// The whole run's per-second series.  The core keeps the last two minutes
// of each terminal; a front end copies them out here more often than that
// (the command line on every tick, the window on every refresh), so a run of
// any length is kept whole.
class SeriesLog {
 public:
  // Copies every second the ring holds (a second still under way is taken
  // again, more complete, by the next copy).  Call with the engine lock held
  // or on a copy.
  void Take(const LinkStatistics& statistics);
  void Take(int terminal, const TerminalStatistics& s);

  // Forgets every second (a new run started).
  void Clear();

  // Terminal t's seconds 0 .. (as far as they were taken).
  const std::vector<SecondSample>& Of(int terminal) const { return seconds_[terminal]; }

  // "second,terminal,sent,good,lost,mean_reply_ms,unanswered", one row per
  // second and terminal that took part, seconds without an event as zeros.
  // In PASSIVE mode "sent" is the messages received.  false when the write fails.
  bool WriteCsv(std::FILE* out) const;

 private:
  std::vector<SecondSample> seconds_[kMaxTerminal + 1];
};

}  // namespace tessaro
