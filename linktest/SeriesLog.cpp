#include "linktest/SeriesLog.h"

#include <algorithm>

namespace tessaro {

void SeriesLog::Take(const LinkStatistics& statistics) {
  for (int t = 1; t <= kMaxTerminal; ++t) Take(t, statistics.terminal[t]);
}

void SeriesLog::Take(int terminal, const TerminalStatistics& s) {
  if (s.sent == 0 && s.good == 0 && s.lost == 0 && s.unanswered == 0) return;
  std::vector<SecondSample>& log = seconds_[terminal];
  const std::uint32_t newest = s.newestSecond;
  if (log.size() < static_cast<std::size_t>(newest) + 1) log.resize(newest + 1u);
  const std::uint32_t oldest = newest + 1 > kSeriesSeconds ? newest + 1 - kSeriesSeconds : 0;
  for (std::uint32_t second = oldest; second <= newest; ++second) {
    SampleAt(s, second, log[second]);
  }
}

void SeriesLog::Clear() {
  for (std::vector<SecondSample>& log : seconds_) log.clear();
}

bool SeriesLog::WriteCsv(std::FILE* out) const {
  std::size_t length = 0;
  for (const std::vector<SecondSample>& log : seconds_) length = std::max(length, log.size());
  std::fprintf(out, "second,terminal,sent,good,lost,mean_reply_ms,unanswered\n");
  for (std::size_t second = 0; second < length; ++second) {
    for (int t = 1; t <= kMaxTerminal; ++t) {
      const std::vector<SecondSample>& log = seconds_[t];
      if (log.empty()) continue;
      const SecondSample sample = second < log.size() ? log[second] : SecondSample{};
      std::fprintf(out, "%zu,%d,%u,%u,%u,%.1f,%u\n", second, t, sample.sent, sample.good,
                   sample.lost, MeanReplyTime(sample), sample.unanswered);
    }
  }
  return std::fflush(out) == 0 && std::ferror(out) == 0;
}

}  // namespace tessaro
