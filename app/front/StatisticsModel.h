#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "linktest/LinkStatistics.h"
#include "linktest/ResultRows.h"
#include "linktest/SeriesLog.h"
#include "linktest/TestState.h"

namespace tessaro {

class Engine;

// The statistics window's own texts, the same in every toolkit.
struct StatisticsTexts {
  static constexpr char kTitle[] = "Testing Statistics";
  static constexpr char kChooser[] = "Plot of terminal:";
  static constexpr char kExportButton[] = "Export table...";
  static constexpr char kExportCaption[] = "Export table";
  static constexpr char kExportName[] = "statistics.csv";
  static constexpr char kSaveButton[] = "Save plot...";
  static constexpr char kSaveCaption[] = "Save plot";
  static constexpr char kSaveName[] = "statistics.png";
  // "Cannot write PATH:\nREASON" when an export fails.
  static std::string CannotWrite(const std::string& path, const std::string& reason) {
    return "Cannot write " + path + ":\n" + reason;
  }
  // The window's first size.
  static constexpr int kWidth = 820;
  static constexpr int kHeight = 640;
};

// One terminal of the statistics window: the run's figures, and the bases
// that list it now ("1 5"; empty once no present base lists it, so nothing
// counted is dropped).
struct StatisticsRow : TerminalFigures {
  int terminal = 0;
  std::string bases;
};

// The columns of the table.  Duplicates exist in PASSIVE mode only.
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
// table, their texts, the export, and the per-second series of each terminal
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
  // The table's export: the command-line link test's CSV (one row per base
  // and terminal, the view's counters beside the true figures) of what the
  // last Refresh read.
  std::string Csv() const;

  // "ACTIVE test, running", "PASSIVE test".
  std::string ModeText() const;
  // "07": a terminal in the chooser; the plot's title ("Terminal 07", or
  // "No terminal" for 0).
  static std::string TerminalName(int terminal);
  static std::string PlotTitle(int terminal);

  // Terminal t's seconds from second 0 of the run.
  std::vector<SeriesPoint> Series(int terminal) const;

 private:
  const Engine& engine_;
  std::vector<TerminalCopy> copies_;  // reserved once: nothing is allocated under the lock
  std::vector<StatisticsRow> rows_;
  SeriesLog series_;
  bool passive_ = false;
  bool running_ = false;
  bool refreshed_ = false;
  std::uint32_t startTick_ = 0;
};

}  // namespace tessaro
