#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/TestState.h"
#include "protocol/StationRegistry.h"

namespace tessaro::metrics {

// What one terminal's series show: copies of the link test's true totals,
// which only grow during a run (a lost and regained link included).
struct TerminalSample {
  int base = 0;  // the label; 0 while the terminal has not been seen
  std::int64_t sent = 0;
  std::int64_t good = 0;
  std::int64_t lost = 0;
  std::int64_t unanswered = 0;
  std::int64_t duplicates = 0;
  std::int64_t replyTimeSumMs = 0;
  std::int64_t replyTimeBuckets[kReplyTimeBounds + 1] = {};
  std::int32_t lastReplyMs = 0;
};

// The state of one serial link and its terminals at one moment.  A fixed-size
// record: taking a sample under the engine lock allocates nothing.
struct LinkSample {
  bool up = false;       // the serial device is open and answering
  bool running = false;  // the link test runs
  std::int64_t linkLost = 0;
  std::int64_t reconnects = 0;
  int terminalsPresent = 0;
  TerminalSample terminal[kMaxTerminal + 1];
};

// Copies the figures of every terminal that is listed or took part.  A
// terminal's base label is the lowest base listing it; one that is listed
// nowhere any more (the link is down, it left) keeps the base it last had,
// so its series go on unbroken.  Call under the engine lock.
void TakeSample(const StationRegistry& registry, const TestState& test, LinkSample& sample);

// The labels every series carries.
struct SeriesLabels {
  std::string site;
  std::string port;
  std::string version;
};

// A label value with backslash, double quote and line feed escaped as the
// text exposition format asks.
std::string EscapeLabelValue(std::string_view value);

// Renders samples of one link in the Prometheus text exposition format.
class ExpositionRenderer {
 public:
  explicit ExpositionRenderer(const SeriesLabels& labels);

  // Replaces what `out` held; its capacity is kept, so a render after the
  // first allocates nothing once the terminal count stops growing.
  void Render(const LinkSample& sample, std::string& out) const;

 private:
  std::string link_;     // site="...",port="..." escaped
  std::string version_;  // escaped
};

}  // namespace tessaro::metrics
