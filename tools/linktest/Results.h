#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "linktest/ResultRows.h"
#include "linktest/TestState.h"
#include "protocol/StationRegistry.h"

namespace tessaro::cli {

// A time the serial device was gone during the test, in seconds from its
// start; back < 0 when it never came back.
struct LinkGap {
  double lost = 0.0;
  double back = -1.0;
};

struct Results {
  bool passive = false;
  int seconds = 0;           // how long the test ran
  int requestedSeconds = 0;  // --seconds
  bool interrupted = false;  // ended early by the user (Ctrl-C, SIGTERM, SIGHUP)
  // Every loss of the link, in order (several only with --reconnect).
  std::vector<LinkGap> gaps;
  std::vector<TerminalRow> rows;
  // The true figures of all distinct terminals together (each counted
  // once): sums, the extremes, the longest loss run of any terminal.  The
  // series is not used.
  TerminalStatistics total;
};

// Whether the link was down when the test ended (the last gap has no end).
bool LinkDownAtEnd(const Results& results);

// The terminals with packets left unanswered (their test stalled), in order.
std::vector<int> StalledTerminals(const Results& results);

// Builds the rows from copies of the records (taken under the engine lock).
Results CollectResults(const StationRegistry& registry, const TestState& test, int seconds);

// The live table: a header line and one line per row.  At most `maxRows`
// rows are printed (a line says how many more there are).  Returns the
// number of lines printed.
int PrintTable(std::FILE* out, const Results& results, int maxRows);

// The closing lines: totals, overall loss (unanswered packets counted lost)
// and mean reply time.
void PrintSummary(std::FILE* out, const Results& results, const std::string& port);

// {"mode": ..., "seconds": N, "totals": {...}, "terminals": [...]} and the
// CSV with the same rows.  Write to an open file; false when the write fails.
bool WriteJson(std::FILE* out, const Results& results);
bool WriteCsv(std::FILE* out, const Results& results);

}  // namespace tessaro::cli
