#include "tools/linktest/Results.h"

#include <algorithm>
#include <cinttypes>

namespace tessaro::cli {

namespace {

// Adds terminal `s` to the totals, leaving the series alone.
void AddToTotal(TerminalStatistics& total, const TerminalStatistics& s) {
  if (s.good > 0) {
    total.replyTimeMin =
        total.good == 0 ? s.replyTimeMin : std::min(total.replyTimeMin, s.replyTimeMin);
    total.replyTimeMax = std::max(total.replyTimeMax, s.replyTimeMax);
  }
  total.sent += s.sent;
  total.good += s.good;
  total.lost += s.lost;
  total.duplicates += s.duplicates;
  total.unanswered += s.unanswered;
  total.replyTimeSum += s.replyTimeSum;
  total.replyTimeSquares += s.replyTimeSquares;
  total.longestLossRun = std::max(total.longestLossRun, s.longestLossRun);
}

// The JSON key and CSV column of the first true total.
const char* SentName(bool passive) {
  return passive ? "received" : "sent";
}

// "07, 08" for the terminals.
std::string TerminalList(const std::vector<int>& terminals) {
  std::string text;
  for (int t : terminals) {
    char number[8];
    std::snprintf(number, sizeof number, "%s%02d", text.empty() ? "" : ", ", t);
    text += number;
  }
  return text;
}

}  // namespace

bool LinkDownAtEnd(const Results& results) {
  return !results.gaps.empty() && results.gaps.back().back < 0;
}

std::vector<int> StalledTerminals(const Results& results) {
  std::vector<int> terminals;
  for (const TerminalRow& row : results.rows) {
    if (row.unanswered > 0 &&
        std::find(terminals.begin(), terminals.end(), row.terminal) == terminals.end()) {
      terminals.push_back(row.terminal);
    }
  }
  std::sort(terminals.begin(), terminals.end());
  return terminals;
}

Results CollectResults(const StationRegistry& registry, const TestState& test, int seconds) {
  Results r;
  r.passive = test.linkMode == kPassive;
  r.seconds = seconds;
  std::vector<TerminalCopy> copies;
  CopyTerminals(registry, test, copies);
  r.rows = RowsOf(copies, r.passive);
  for (const TerminalCopy& c : copies) AddToTotal(r.total, c.statistics);
  return r;
}

int PrintTable(std::FILE* out, const Results& results, int maxRows) {
  const char* first = results.passive ? "RE" : "SD";
  const char* second = results.passive ? "DP" : "OK";
  std::fprintf(out, "BASE TERM %7s %7s %7s %7s %7s  LOSS%% %5s %5s %5s %4s\n", first, second, "NG",
               "TM", "AV", "MIN", "MAX", "DEV", "RUN");
  int lines = 1;
  int shown = 0;
  for (const TerminalRow& row : results.rows) {
    if (shown == maxRows) break;
    std::fprintf(out, "  %02d   %02d %7d %7d %7d %7d %7d %6.2f %5d %5d %5.0f %4" PRId64 "\n",
                 row.base, row.terminal, static_cast<int>(row.sdRe), static_cast<int>(row.okDp),
                 static_cast<int>(row.ng), static_cast<int>(row.tm), static_cast<int>(row.av),
                 row.lossPercent, static_cast<int>(row.replyMin), static_cast<int>(row.replyMax),
                 row.replyDeviation, row.longestLossRun);
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
  const TerminalStatistics& t = r.total;
  const double loss = LossPercent(r.passive, t.sent, t.good, Missing(t));
  std::fprintf(out, "%s link test on %s: %d s, %zu terminal row(s)\n",
               r.passive ? "PASSIVE" : "ACTIVE", port.c_str(), r.seconds, r.rows.size());
  if (r.passive) {
    std::fprintf(out,
                 "received %" PRId64 ", duplicates %" PRId64 ", echoes refused %" PRId64
                 " (%.2f %%), mean report time %.0f ms\n",
                 t.sent, t.duplicates, t.lost, loss, MeanReplyTime(t));
  } else {
    std::fprintf(out,
                 "sent %" PRId64 ", good echoes %" PRId64 ", lost %" PRId64
                 " (%.2f %%), mean reply time %.0f ms\n",
                 t.sent, t.good, Missing(t), loss, MeanReplyTime(t));
    if (t.unanswered > 0 || t.duplicates > 0) {
      std::fprintf(out,
                   "of those lost %" PRId64
                   " unanswered (neither echo nor report within the "
                   "time-out); duplicate echoes %" PRId64 "\n",
                   t.unanswered, t.duplicates);
    }
    const std::vector<int> stalled = StalledTerminals(r);
    if (!stalled.empty()) {
      std::fprintf(out, "stalled terminal(s): %s\n", TerminalList(stalled).c_str());
    }
  }
  std::fprintf(out,
               "%s time min %d ms, max %d ms, standard deviation %.1f ms; longest run of "
               "losses %" PRId64 "\n",
               r.passive ? "report" : "reply", static_cast<int>(t.replyTimeMin),
               static_cast<int>(t.replyTimeMax), ReplyTimeDeviation(t), t.longestLossRun);
}

bool WriteJson(std::FILE* out, const Results& r) {
  const char* first = r.passive ? "re" : "sd";
  const char* second = r.passive ? "dp" : "ok";
  const char* sent = SentName(r.passive);
  const TerminalStatistics& t = r.total;
  std::fprintf(out,
               "{\"mode\": \"%s\", \"seconds\": %d, \"requested_seconds\": %d, "
               "\"interrupted\": %s,\n \"totals\": {\"%s\": %" PRId64 ", \"good\": %" PRId64
               ", \"lost\": %" PRId64 ", \"unanswered\": %" PRId64 ", \"duplicates\": %" PRId64
               ", \"loss_percent\": %.4f, \"reply_min_ms\": %d, \"reply_max_ms\": %d, "
               "\"reply_mean_ms\": %.3f, \"reply_sd_ms\": %.3f, \"longest_loss_run\": %" PRId64
               "},\n \"terminals\": [",
               r.passive ? "passive" : "active", r.seconds, r.requestedSeconds,
               r.interrupted ? "true" : "false", sent, t.sent, t.good, t.lost, t.unanswered,
               t.duplicates, LossPercent(r.passive, t.sent, t.good, Missing(t)),
               static_cast<int>(t.replyTimeMin), static_cast<int>(t.replyTimeMax), MeanReplyTime(t),
               ReplyTimeDeviation(t), t.longestLossRun);
  for (std::size_t i = 0; i < r.rows.size(); ++i) {
    const TerminalRow& row = r.rows[i];
    std::fprintf(
        out,
        "%s\n  {\"base\": %d, \"terminal\": %d, \"%s\": %d, \"%s\": %d, \"ng\": %d, "
        "\"tm\": %d, \"av\": %d, \"loss_percent\": %.2f, \"%s\": %" PRId64 ", \"good\": %" PRId64
        ", \"lost\": %" PRId64 ", \"unanswered\": %" PRId64 ", \"duplicates\": %" PRId64
        ", \"reply_min_ms\": %d, \"reply_max_ms\": %d, \"reply_mean_ms\": %.3f, "
        "\"reply_sd_ms\": %.3f, \"longest_loss_run\": %" PRId64 "}",
        i == 0 ? "" : ",", row.base, row.terminal, first, static_cast<int>(row.sdRe), second,
        static_cast<int>(row.okDp), static_cast<int>(row.ng), static_cast<int>(row.tm),
        static_cast<int>(row.av), row.lossPercent, sent, row.sent, row.good, row.lost,
        row.unanswered, row.duplicates, static_cast<int>(row.replyMin),
        static_cast<int>(row.replyMax), row.replyMean, row.replyDeviation, row.longestLossRun);
  }
  // link_lost: down at the end; the losses and returns count every gap.
  int returns = 0;
  for (const LinkGap& g : r.gaps) returns += g.back >= 0 ? 1 : 0;
  std::fprintf(out, "%s],\n \"link_lost\": %s, \"link_losses\": %zu, \"link_returns\": %d",
               r.rows.empty() ? "" : "\n", LinkDownAtEnd(r) ? "true" : "false", r.gaps.size(),
               returns);
  if (LinkDownAtEnd(r)) std::fprintf(out, ", \"link_lost_after_s\": %.3f", r.gaps.back().lost);
  std::fprintf(out, ", \"gaps\": [");
  for (std::size_t i = 0; i < r.gaps.size(); ++i) {
    const LinkGap& g = r.gaps[i];
    std::fprintf(out, "%s{\"lost_after_s\": %.3f, \"back_after_s\": ", i == 0 ? "" : ", ", g.lost);
    if (g.back < 0) {
      std::fprintf(out, "null}");
    } else {
      std::fprintf(out, "%.3f, \"gap_s\": %.3f}", g.back, g.back - g.lost);
    }
  }
  std::fprintf(out, "], \"stalled_terminals\": [");
  const std::vector<int> stalled = StalledTerminals(r);
  for (std::size_t i = 0; i < stalled.size(); ++i) {
    std::fprintf(out, "%s%d", i == 0 ? "" : ", ", stalled[i]);
  }
  std::fprintf(out, "]");
  std::fprintf(out, "}\n");
  return std::fflush(out) == 0 && std::ferror(out) == 0;
}

bool WriteCsv(std::FILE* out, const Results& r) {
  const std::string csv = ResultsCsv(r.rows, r.passive);
  return std::fwrite(csv.data(), 1, csv.size(), out) == csv.size() && std::fflush(out) == 0 &&
         std::ferror(out) == 0;
}

}  // namespace tessaro::cli
