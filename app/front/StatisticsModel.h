#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "linktest/LinkStatistics.h"
#include "linktest/SeriesLog.h"
#include "linktest/TestState.h"

namespace tessaro {

class Engine;

// One terminal of the statistics window: the run's figures, and the bases
// that list it now ("1 5"; empty once no present base lists it, so nothing
// counted is dropped).
struct StatisticsRow : TerminalFigures {
  int terminal = 0;
  std::string bases;
};

// The columns of the table and of its CSV export.  Duplicates exist in
// PASSIVE mode only.
enum class StatisticsColumn {
  kTerminal,
  kBases,
  kSent,
  kGood,
  kLost,
  kDuplicates,
  kLossPercent,
  kReplyMin,
  kReplyMean,
  kReplyMax,
  kReplyDeviation,
  kLongestLossRun,
};

// One second of a terminal's plot.  A second in which nothing was measured
// (no good reply) has no reply time, one in which nothing was settled no
// loss: the plot leaves a gap rather than drawing a zero.
struct SeriesPoint {
  std::uint32_t second = 0;
  std::optional<double> replyMs;
  std::optional<double> lossPercent;
};

// What the statistics window shows, without the window: the rows of the
// table, their texts and CSV, and the per-second series of each terminal
// for the plots.  Each Refresh copies the figures of the terminals that are
// listed or took part (not the whole test state) under the engine lock, and
// keeps every second of the series while it is refreshed at least every two
// minutes.  A new run (START, a mode change) starts the series again.
class StatisticsModel {
 public:
  explicit StatisticsModel(const Engine& engine);

  void Refresh();

  bool Passive() const { return passive_; }
  bool Running() const { return running_; }
  const std::vector<StatisticsRow>& Rows() const { return rows_; }
  // The row of terminal t, nullptr when it has none.
  const StatisticsRow* RowOf(int terminal) const;

  const std::vector<StatisticsColumn>& Columns() const;
  const char* Caption(StatisticsColumn column) const;
  // A cell as the table shows it.
  std::string Cell(const StatisticsRow& row, StatisticsColumn column) const;
  // A header line of column keys and one line per row, figures with more
  // decimals than the table shows.
  std::string Csv() const;

  // Terminal t's seconds from second 0 of the run.
  std::vector<SeriesPoint> Series(int terminal) const;

 private:
  struct Copy {
    int terminal = 0;
    std::uint32_t bases = 0;  // bit b: present base b lists it
    TerminalStatistics statistics;
  };

  const Engine& engine_;
  std::vector<Copy> copies_;  // reserved once: nothing is allocated under the lock
  std::vector<StatisticsRow> rows_;
  SeriesLog series_;
  bool passive_ = false;
  bool running_ = false;
  bool refreshed_ = false;
  std::uint32_t startTick_ = 0;
};

}  // namespace tessaro
