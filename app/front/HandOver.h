#pragma once

#include <atomic>

namespace tessaro {

// What every display adapter keeps to hand the reader thread's requests to
// the window thread without waiting for it.

// The calls handed to the window thread and not run yet, and the most there
// ever were: a flood must not grow the window thread's queue.
class QueueGauge {
 public:
  void Posted() {
    const int now = queued_.fetch_add(1) + 1;
    int most = most_.load();
    while (now > most && !most_.compare_exchange_weak(most, now)) {
    }
  }
  // The call ran, or was never queued after all.
  void Ran() { queued_.fetch_sub(1); }

  int Now() const { return queued_.load(); }
  int Most() const { return most_.load(); }

 private:
  std::atomic<int> queued_{0};
  std::atomic<int> most_{0};
};

// A render of the view asked for from any thread.  However many requests
// come before the window thread runs one, it runs one render: of the whole
// view if any request was for that, else of the topology part.
class RenderRequest {
 public:
  enum class Part { kNone, kTopology, kWhole };

  // Each returns true when the caller must post the window thread's Take:
  // none is waiting yet.
  bool AskTopology() {
    topology_.store(true);
    return !posted_.exchange(true);
  }
  bool AskWhole() {
    whole_.store(true);
    return !posted_.exchange(true);
  }
  // The post asked for could not be made: the next request posts again.
  void PostFailed() { posted_.store(false); }

  // Window thread: the render to run now, and the requests cleared.  Cleared
  // before they are read, so a request from now on posts a new Take.
  Part Take() {
    posted_.store(false);
    const bool whole = whole_.exchange(false);
    const bool topology = topology_.exchange(false);
    if (whole) return Part::kWhole;
    return topology ? Part::kTopology : Part::kNone;
  }

 private:
  std::atomic<bool> whole_{false};
  std::atomic<bool> topology_{false};
  std::atomic<bool> posted_{false};
};

}  // namespace tessaro
