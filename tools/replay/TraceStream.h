#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <string>

#include "link/LineTrace.h"

namespace tessaro {

// The events of a trace read as they are needed, with a short look ahead:
// a replay never holds more of a trace than it has to.
class TraceStream {
 public:
  explicit TraceStream(std::FILE* file) : reader_(file) {}

  // The event `ahead` places on (0: the next one); nullptr at the end or
  // when the trace cannot be read (see Error).
  const TraceEvent* Peek(std::size_t ahead = 0) {
    while (ahead >= ahead_.size() && !ended_) {
      TraceEvent e;
      if (!reader_.Next(e, error_)) {
        ended_ = true;
        break;
      }
      ahead_.push_back(std::move(e));
    }
    return ahead < ahead_.size() ? &ahead_[ahead] : nullptr;
  }
  // Takes the next event; false at the end.
  bool Take(TraceEvent& e) {
    if (Peek() == nullptr) return false;
    e = std::move(ahead_.front());
    ahead_.pop_front();
    return true;
  }
  // Why reading stopped early; empty at a clean end.
  const std::string& Error() const { return error_; }

 private:
  TraceReader reader_;
  std::deque<TraceEvent> ahead_;
  std::string error_;
  bool ended_ = false;
};

// A successful open of the port: where a recorded session or download starts.
inline bool IsOpenOk(const TraceEvent& e) {
  return e.kind == "open" && e.text.size() >= 3 && e.text.compare(e.text.size() - 3, 3, " ok") == 0;
}

// The download's own queue sizes: the port taken for a program download.
inline bool IsDownloadQueues(const TraceEvent& e) {
  return e.kind == "queues" && e.text.find("out=1200") != std::string::npos;
}

// "N of M" of a "write-short" line.
bool ParseShortWrite(const std::string& text, std::size_t& put, std::size_t& asked);

}  // namespace tessaro
