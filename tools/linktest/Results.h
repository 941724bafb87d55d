#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/TestState.h"
#include "protocol/StationRegistry.h"

namespace tessaro::cli {

// One row of the results: a terminal as listed under one base.  A terminal
// listed under two bases has two rows with the same counters, as the view
// shows two cells; a terminal that was counted but is no longer listed has a
// row with base 0, so nothing counted is lost.
struct TerminalRow : TerminalFigures {
  int base = 0;
  int terminal = 0;
  // What the view shows; they wrap after 99998 or 99999 where the run's
  // true figures (TerminalFigures) do not.
  std::int32_t sdRe = 0;  // SD (ACTIVE) or RE (PASSIVE)
  std::int32_t okDp = 0;  // OK (ACTIVE) or DP (PASSIVE)
  std::int32_t ng = 0;
  std::int32_t tm = 0;
  std::int32_t av = 0;
};

// A time the serial device was gone during the test, in seconds from its
// start; back < 0 when it never came back.
struct LinkGap {
  double lost = 0.0;
  double back = -1.0;
};

struct Results {
  bool passive = false;
  int seconds = 0;
  // Every loss of the link, in order (several only with --reconnect).
  std::vector<LinkGap> gaps;
  std::vector<TerminalRow> rows;
  // The true figures of all distinct terminals together (each counted
  // once): sums, the extremes, the longest loss run of any terminal.  The
  // series is not used.
  TerminalStatistics total;
};

// Builds the rows from copies of the records (taken under the engine lock).
Results CollectResults(const StationRegistry& registry, const TestState& test, int seconds);

// The live table: a header line and one line per row.  At most `maxRows`
// rows are printed (a line says how many more there are).  Returns the
// number of lines printed.
int PrintTable(std::FILE* out, const Results& results, int maxRows);

// The closing lines: totals, overall loss and mean reply time.
void PrintSummary(std::FILE* out, const Results& results, const std::string& port);

// {"mode": ..., "seconds": N, "totals": {...}, "terminals": [...]} and the
// CSV with the same rows.  Write to an open file; false when the write fails.
bool WriteJson(std::FILE* out, const Results& results);
bool WriteCsv(std::FILE* out, const Results& results);

}  // namespace tessaro::cli
