#include "linktest/ResultRows.h"

#include <charconv>

namespace tessaro {

namespace {

void Append(std::string& out, std::int64_t value) {
  char text[24];
  const std::to_chars_result r = std::to_chars(text, text + sizeof text, value);
  out.append(text, r.ptr);
}

void Append(std::string& out, double value, int decimals) {
  char text[64];
  const std::to_chars_result r =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  out.append(text, r.ptr);
}

}  // namespace

void CopyTerminals(const StationRegistry& registry, const TestState& test,
                   std::vector<TerminalCopy>& out) {
  const TerminalStats& s = test.stats;
  for (int t = 1; t <= kMaxTerminal; ++t) {
    std::uint32_t bases = 0;
    for (int b = 1; b <= kMaxBase; ++b) {
      if (registry.rows[b].present && registry.rows[b].terminal[t]) bases |= 1u << b;
    }
    const TerminalStatistics& f = test.statistics.terminal[t];
    const bool counted =
        s.sdReCount[t] != 0 || s.okDpCount[t] != 0 || s.ngCount[t] != 0 || TookPart(f);
    if (bases == 0 && !counted) continue;
    out.push_back(TerminalCopy{t, bases, f, s.sdReCount[t], s.okDpCount[t], s.ngCount[t],
                               s.replyTime[t], s.average[t]});
  }
}

std::vector<TerminalRow> RowsOf(const std::vector<TerminalCopy>& copies, bool passive) {
  std::vector<TerminalRow> rows;
  auto add = [&](int base, const TerminalCopy& c) {
    TerminalRow row;
    static_cast<TerminalFigures&>(row) = FiguresOf(c.statistics, passive);
    row.base = base;
    row.terminal = c.terminal;
    row.sdRe = c.sdRe;
    row.okDp = c.okDp;
    row.ng = c.ng;
    row.tm = c.tm;
    row.av = c.av;
    rows.push_back(row);
  };
  for (int b = 1; b <= kMaxBase; ++b) {
    for (const TerminalCopy& c : copies) {
      if ((c.bases & (1u << b)) != 0) add(b, c);
    }
  }
  for (const TerminalCopy& c : copies) {
    if (c.bases == 0) add(0, c);
  }
  return rows;
}

std::string ResultsCsv(const std::vector<TerminalRow>& rows, bool passive) {
  std::string csv = passive ? "base,terminal,re,dp" : "base,terminal,sd,ok";
  csv += ",ng,tm,av,loss_percent,";
  csv += passive ? "received" : "sent";
  csv +=
      ",good,lost,duplicates,reply_min_ms,reply_max_ms,reply_mean_ms,reply_sd_ms,"
      "longest_loss_run,unanswered\n";
  for (const TerminalRow& row : rows) {
    for (const std::int64_t value :
         {std::int64_t{row.base}, std::int64_t{row.terminal}, std::int64_t{row.sdRe},
          std::int64_t{row.okDp}, std::int64_t{row.ng}, std::int64_t{row.tm},
          std::int64_t{row.av}}) {
      Append(csv, value);
      csv += ',';
    }
    Append(csv, row.lossPercent, 2);
    for (const std::int64_t value : {row.sent, row.good, row.lost, row.duplicates,
                                     std::int64_t{row.replyMin}, std::int64_t{row.replyMax}}) {
      csv += ',';
      Append(csv, value);
    }
    csv += ',';
    Append(csv, row.replyMean, 3);
    csv += ',';
    Append(csv, row.replyDeviation, 3);
    csv += ',';
    Append(csv, row.longestLossRun);
    csv += ',';
    Append(csv, row.unanswered);
    csv += '\n';
  }
  return csv;
}

}  // namespace tessaro
