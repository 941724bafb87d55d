#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Engine.h"
#include "tools/metrics/LinkMetrics.h"
#include "tools/metrics/MetricsFile.h"

namespace tessaro::metrics {

// What the program running the test knows of its serial link.
struct LinkState {
  bool up = false;
  bool running = false;
  std::int64_t lost = 0;        // times the device went away
  std::int64_t reconnects = 0;  // times it came back
};

// Keeps the metrics file of one link test: a sample copied under the engine
// lock, rendered and written outside it, every interval and at the end.
class MetricsExport {
 public:
  MetricsExport(const std::string& path, const SeriesLabels& labels, int intervalSeconds,
                std::FILE* err);

  // Whether the file can be written; says why not on `err`.
  bool Check() const;

  // Writes when the interval has passed since the last write, or at once
  // with `now`.  A failed write is reported (once until one succeeds) and
  // tried again at the next interval.
  void Update(const Engine& engine, const LinkState& link, bool now = false);

  // The last write, at the end of the run; false when it failed.
  bool Finish(const Engine& engine, const LinkState& link);

 private:
  bool Write(const Engine& engine, const LinkState& link);

  MetricsFile file_;
  ExpositionRenderer renderer_;
  std::chrono::steady_clock::duration interval_;
  std::chrono::steady_clock::time_point next_{};
  std::FILE* err_;
  std::unique_ptr<LinkSample> sample_ = std::make_unique<LinkSample>();
  std::string text_;
  bool failing_ = false;
};

// The machine's host name, for the `site` label; "localhost" when the
// system does not tell.  One file per platform.
std::string HostName();

}  // namespace tessaro::metrics
