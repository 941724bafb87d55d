#include "linktest/cli/Results.h"

#include <cinttypes>

namespace tessaro::cli {

double LossPercent(bool passive, std::int64_t sdRe, std::int64_t okDp, std::int64_t ng) {
  const std::int64_t settled = passive ? sdRe : okDp + ng;
  if (settled <= 0) return 0.0;
  return 100.0 * static_cast<double>(ng) / static_cast<double>(settled);
}

Results CollectResults(const StationRegistry& registry, const TestState& test, int seconds) {
  Results r;
  r.passive = test.linkMode == kPassive;
  r.seconds = seconds;
  const TerminalStats& s = test.stats;
  bool listed[kMaxTerminal + 1] = {};
  auto addRow = [&](int b, int t) {
    TerminalRow row;
    row.base = b;
    row.terminal = t;
    row.sdRe = s.sdReCount[t];
    row.okDp = s.okDpCount[t];
    row.ng = s.ngCount[t];
    row.tm = s.replyTime[t];
    row.av = s.average[t];
    row.lossPercent = LossPercent(r.passive, row.sdRe, row.okDp, row.ng);
    r.rows.push_back(row);
  };
  for (int b = 1; b <= kMaxBase; ++b) {
    if (!registry.rows[b].present) continue;
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (!registry.rows[b].terminal[t]) continue;
      addRow(b, t);
      listed[t] = true;
    }
  }
  for (int t = 1; t <= kMaxTerminal; ++t) {
    const bool counted = s.sdReCount[t] != 0 || s.okDpCount[t] != 0 || s.ngCount[t] != 0;
    if (!listed[t] && counted) addRow(0, t);
    if (listed[t] || counted) {
      r.sdRe += s.sdReCount[t];
      r.okDp += s.okDpCount[t];
      r.ng += s.ngCount[t];
      r.replyTimeSum += s.replyTimeSum[t];
      r.replyCount += s.replyCount[t];
    }
  }
  return r;
}

int PrintTable(std::FILE* out, const Results& results, int maxRows) {
  const char* first = results.passive ? "RE" : "SD";
  const char* second = results.passive ? "DP" : "OK";
  std::fprintf(out, "BASE TERM %7s %7s %7s %7s %7s  LOSS%%\n", first, second, "NG", "TM", "AV");
  int lines = 1;
  int shown = 0;
  for (const TerminalRow& row : results.rows) {
    if (shown == maxRows) break;
    std::fprintf(out, "  %02d   %02d %7d %7d %7d %7d %7d %6.2f\n", row.base, row.terminal,
                 static_cast<int>(row.sdRe), static_cast<int>(row.okDp), static_cast<int>(row.ng),
                 static_cast<int>(row.tm), static_cast<int>(row.av), row.lossPercent);
    ++shown;
    ++lines;
  }
  const std::size_t hidden = results.rows.size() - static_cast<std::size_t>(shown);
  if (hidden > 0) {
    std::fprintf(out, "  ... %zu more\n", hidden);
    ++lines;
  }
  return lines;
}

void PrintSummary(std::FILE* out, const Results& r, const std::string& port) {
  const double loss = LossPercent(r.passive, r.sdRe, r.okDp, r.ng);
  const std::int64_t mean = r.replyCount > 0 ? r.replyTimeSum / r.replyCount : 0;
  std::fprintf(out, "%s link test on %s: %d s, %zu terminal row(s)\n",
               r.passive ? "PASSIVE" : "ACTIVE", port.c_str(), r.seconds, r.rows.size());
  if (r.passive) {
    std::fprintf(out,
                 "received %" PRId64 ", duplicates %" PRId64 ", echoes refused %" PRId64
                 " (%.2f %%), mean report time %" PRId64 " ms\n",
                 r.sdRe, r.okDp, r.ng, loss, mean);
  } else {
    std::fprintf(out,
                 "sent %" PRId64 ", good echoes %" PRId64 ", lost %" PRId64
                 " (%.2f %%), mean reply time %" PRId64 " ms\n",
                 r.sdRe, r.okDp, r.ng, loss, mean);
  }
}

bool WriteJson(std::FILE* out, const Results& r) {
  const char* first = r.passive ? "re" : "sd";
  const char* second = r.passive ? "dp" : "ok";
  std::fprintf(out, "{\"mode\": \"%s\", \"seconds\": %d, \"terminals\": [",
               r.passive ? "passive" : "active", r.seconds);
  for (std::size_t i = 0; i < r.rows.size(); ++i) {
    const TerminalRow& row = r.rows[i];
    std::fprintf(out,
                 "%s\n  {\"base\": %d, \"terminal\": %d, \"%s\": %d, \"%s\": %d, \"ng\": %d, "
                 "\"tm\": %d, \"av\": %d, \"loss_percent\": %.2f}",
                 i == 0 ? "" : ",", row.base, row.terminal, first, static_cast<int>(row.sdRe),
                 second, static_cast<int>(row.okDp), static_cast<int>(row.ng),
                 static_cast<int>(row.tm), static_cast<int>(row.av), row.lossPercent);
  }
  std::fprintf(out, "%s]}\n", r.rows.empty() ? "" : "\n");
  return std::fflush(out) == 0 && std::ferror(out) == 0;
}

bool WriteCsv(std::FILE* out, const Results& r) {
  std::fprintf(out, "base,terminal,%s,%s,ng,tm,av,loss_percent\n", r.passive ? "re" : "sd",
               r.passive ? "dp" : "ok");
  for (const TerminalRow& row : r.rows) {
    std::fprintf(out, "%d,%d,%d,%d,%d,%d,%d,%.2f\n", row.base, row.terminal,
                 static_cast<int>(row.sdRe), static_cast<int>(row.okDp), static_cast<int>(row.ng),
                 static_cast<int>(row.tm), static_cast<int>(row.av), row.lossPercent);
  }
  return std::fflush(out) == 0 && std::ferror(out) == 0;
}

}  // namespace tessaro::cli
