#pragma once

#include <atomic>
#include <cstdio>

#include "core/NullDisplay.h"

namespace tessaro::cli {

// The display of a command-line front end.  The tool draws its own table from
// the counters, so cell redraws and panes are not kept; it needs to know when
// the topology changes (discovery), whether the supervision timer should run,
// and to show the core's messages on standard error, each line led by the
// program's name.
class ConsoleDisplay final : public NullDisplay {
 public:
  ConsoleDisplay(std::FILE* messages, const char* program)
      : messages_(messages), program_(program) {}

  void InvalidateTopology() override { topologyChanges_.fetch_add(1, std::memory_order_release); }
  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;
  void ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                              const char* details) override;
  void SetSupervisionTimer(bool running) override {
    timerRunning_.store(running, std::memory_order_release);
  }

  // How many times the registry changed the picture so far.
  unsigned TopologyChanges() const { return topologyChanges_.load(std::memory_order_acquire); }
  bool TimerRunning() const { return timerRunning_.load(std::memory_order_acquire); }

 private:
  std::FILE* messages_;
  const char* program_;
  std::atomic<unsigned> topologyChanges_{0};
  std::atomic<bool> timerRunning_{false};
};

}  // namespace tessaro::cli
