#include "app/front/StatisticsModel.h"

#include <cinttypes>
#include <cstdio>

#include "app/Engine.h"

namespace tessaro {

namespace {

using Column = StatisticsColumn;

const std::vector<Column> kActiveColumns = {
    Column::kTerminal, Column::kBases,          Column::kSent,          Column::kGood,
    Column::kLost,     Column::kLossPercent,    Column::kReplyMin,      Column::kReplyMean,
    Column::kReplyMax, Column::kReplyDeviation, Column::kLongestLossRun};
const std::vector<Column> kPassiveColumns = {
    Column::kTerminal,  Column::kBases,      Column::kSent,           Column::kGood,
    Column::kLost,      Column::kDuplicates, Column::kLossPercent,    Column::kReplyMin,
    Column::kReplyMean, Column::kReplyMax,   Column::kReplyDeviation, Column::kLongestLossRun};

const char* CaptionOf(Column column, bool passive) {
  switch (column) {
    case Column::kTerminal:
      return "Terminal";
    case Column::kBases:
      return "Base";
    case Column::kSent:
      return passive ? "Received" : "Sent";
    case Column::kGood:
      return passive ? "Echo OK" : "Good";
    case Column::kLost:
      return passive ? "Echo NG" : "Lost";
    case Column::kDuplicates:
      return "Duplicates";
    case Column::kLossPercent:
      return "Loss %";
    case Column::kReplyMin:
      return "Min ms";
    case Column::kReplyMean:
      return "Mean ms";
    case Column::kReplyMax:
      return "Max ms";
    case Column::kReplyDeviation:
      return "SD ms";
    case Column::kLongestLossRun:
      return "Longest loss run";
  }
  return "";
}

std::string Integer(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRId64, value);
  return text;
}

std::string Decimal(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// The cell of `row` as the table shows it.
std::string Format(const StatisticsRow& row, Column column) {
  switch (column) {
    case Column::kTerminal:
      return Integer(row.terminal);
    case Column::kBases:
      return row.bases;
    case Column::kSent:
      return Integer(row.sent);
    case Column::kGood:
      return Integer(row.good);
    case Column::kLost:
      return Integer(row.lost);
    case Column::kDuplicates:
      return Integer(row.duplicates);
    case Column::kLossPercent:
      return Decimal(row.lossPercent, 2);
    case Column::kReplyMin:
      return Integer(row.replyMin);
    case Column::kReplyMean:
      return Decimal(row.replyMean, 1);
    case Column::kReplyMax:
      return Integer(row.replyMax);
    case Column::kReplyDeviation:
      return Decimal(row.replyDeviation, 1);
    case Column::kLongestLossRun:
      return Integer(row.longestLossRun);
  }
  return {};
}

std::string BasesText(std::uint32_t bases) {
  std::string text;
  for (int b = 1; b <= kMaxBase; ++b) {
    if ((bases & (1u << b)) == 0) continue;
    if (!text.empty()) text += ' ';
    text += Integer(b);
  }
  return text;
}

}  // namespace

StatisticsModel::StatisticsModel(const Engine& engine) : engine_(engine) {
  copies_.reserve(kMaxTerminal);
}

void StatisticsModel::Refresh() {
  std::uint32_t startTick = 0;
  LinkMode mode = LinkMode::Active;
  copies_.clear();
  engine_.Read([&](const EngineView& view) {
    mode = view.test.linkMode;
    running_ = view.test.Running();
    startTick = view.test.statistics.startTick;
    CopyTerminals(view.registry, view.test, copies_);
  });

  const bool passive = mode == kPassive;
  if (refreshed_ && (startTick != startTick_ || passive != passive_)) series_.Clear();
  refreshed_ = true;
  startTick_ = startTick;
  passive_ = passive;
  rows_.clear();
  for (const TerminalCopy& copy : copies_) {
    StatisticsRow row;
    static_cast<TerminalFigures&>(row) = FiguresOf(copy.statistics, passive_);
    row.terminal = copy.terminal;
    row.bases = BasesText(copy.bases);
    rows_.push_back(std::move(row));
    series_.Take(copy.terminal, copy.statistics);
  }
}

const StatisticsRow* StatisticsModel::RowOf(int terminal) const {
  for (const StatisticsRow& row : rows_) {
    if (row.terminal == terminal) return &row;
  }
  return nullptr;
}

const std::vector<StatisticsColumn>& StatisticsModel::Columns() const {
  return passive_ ? kPassiveColumns : kActiveColumns;
}

const char* StatisticsModel::Caption(StatisticsColumn column) const {
  return CaptionOf(column, passive_);
}

std::string StatisticsModel::Cell(const StatisticsRow& row, StatisticsColumn column) const {
  return Format(row, column);
}

std::string StatisticsModel::Csv() const {
  return ResultsCsv(RowsOf(copies_, passive_), passive_);
}

std::string StatisticsModel::ModeText() const {
  std::string text = ModeButtonText(passive_ ? kPassive : kActive);
  text += " test";
  if (!passive_) text += running_ ? ", running" : ", stopped";
  return text;
}

std::string StatisticsModel::TerminalName(int terminal) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", terminal);
  return text;
}

std::string StatisticsModel::PlotTitle(int terminal) {
  return terminal == 0 ? "No terminal" : "Terminal " + TerminalName(terminal);
}

std::vector<SeriesPoint> StatisticsModel::Series(int terminal) const {
  std::vector<SeriesPoint> points;
  if (terminal < 1 || terminal > kMaxTerminal) return points;
  const std::vector<SecondSample>& log = series_.Of(terminal);
  points.reserve(log.size());
  for (std::size_t second = 0; second < log.size(); ++second) {
    const SecondSample& s = log[second];
    SeriesPoint point;
    point.second = static_cast<std::uint32_t>(second);
    if (s.good > 0) point.replyMs = MeanReplyTime(s);
    // Packets found unanswered in that second count lost, as in the rows.
    const std::int64_t lost = static_cast<std::int64_t>(s.lost) + s.unanswered;
    if (Settled(passive_, s.sent, s.good, lost) > 0)
      point.lossPercent = LossPercent(passive_, s.sent, s.good, lost);
    points.push_back(point);
  }
  return points;
}

}  // namespace tessaro
