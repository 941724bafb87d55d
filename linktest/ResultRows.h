#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "linktest/TestState.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// One terminal as the records hold it, copied under the engine lock: the
// bases that list it, its true figures and the view's counters.
struct TerminalCopy {
  int terminal = 0;
  std::uint32_t bases = 0;  // bit b: present base b lists it
  TerminalStatistics statistics;
  // What the view shows; they wrap after 99998 or 99999 where the true
  // figures do not.
  std::int32_t sdRe = 0;  // SD (ACTIVE) or RE (PASSIVE)
  std::int32_t okDp = 0;  // OK (ACTIVE) or DP (PASSIVE)
  std::int32_t ng = 0;
  std::int32_t tm = 0;
  std::int32_t av = 0;
};

// Every terminal that a present base lists or that was counted in this run,
// in terminal order, appended to `out` (reserve kMaxTerminal entries and
// nothing is allocated).
void CopyTerminals(const StationRegistry& registry, const TestState& test,
                   std::vector<TerminalCopy>& out);

// One row of the results: a terminal as listed under one base.  A terminal
// listed under two bases has two rows with the same counters, as the view
// shows two cells; a terminal that was counted but is no longer listed has a
// row with base 0, so nothing counted is lost.
struct TerminalRow : TerminalFigures {
  int base = 0;
  int terminal = 0;
  std::int32_t sdRe = 0;
  std::int32_t okDp = 0;
  std::int32_t ng = 0;
  std::int32_t tm = 0;
  std::int32_t av = 0;
};

// The rows of `copies`: base by base, then the unlisted terminals.
std::vector<TerminalRow> RowsOf(const std::vector<TerminalCopy>& copies, bool passive);

// The rows as CSV: a header line of the mode's keys and one line per row.
// Figures are written with a point whatever the locale.
std::string ResultsCsv(const std::vector<TerminalRow>& rows, bool passive);

}  // namespace tessaro
