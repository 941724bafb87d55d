#pragma once

#include <cstdio>
#include <vector>

#include "linktest/LinkStatistics.h"

namespace tessaro::cli {

// The whole run's per-second series for `--series`.  The core keeps the last
// two minutes of each terminal; the runner copies them out here on every
// tick, so a run of any length is kept whole.
class SeriesLog {
 public:
  // Copies every second the ring holds (a second still under way is taken
  // again, more complete, by the next copy).  Call with the engine lock held.
  void Take(const LinkStatistics& statistics);

  // "second,terminal,sent,good,lost,mean_reply_ms", one row per second and
  // terminal that took part, seconds without an event as zeros.  In PASSIVE
  // mode "sent" is the messages received.  false when the write fails.
  bool WriteCsv(std::FILE* out) const;

 private:
  std::vector<SecondSample> seconds_[kMaxTerminal + 1];
};

}  // namespace tessaro::cli
