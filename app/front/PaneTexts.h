#pragma once

#include <cstring>
#include <mutex>

namespace tessaro {

// The latest text of each status pane, written from either thread and taken
// by the window thread: a flood of messages keeps only what the panes will
// show.  Every display adapter keeps one.
class PaneTexts {
 public:
  static constexpr int kPanes = 3;
  static constexpr int kSize = 320;

  // Keeps `text` (cut to kSize - 1 bytes) as pane `pane`'s latest; false for
  // a pane or text that does not exist.
  bool Store(int pane, const char* text) {
    if (pane < 0 || pane >= kPanes || text == nullptr) return false;
    std::scoped_lock lock(mutex_);
    std::strncpy(texts_[pane], text, kSize - 1);
    texts_[pane][kSize - 1] = 0;
    dirty_[pane] = true;
    return true;
  }

  // Copies out the panes written since the last Take and marks them taken;
  // false when none was.
  bool Take(char (&texts)[kPanes][kSize], bool (&dirty)[kPanes]) {
    std::scoped_lock lock(mutex_);
    bool any = false;
    for (int i = 0; i < kPanes; ++i) {
      dirty[i] = dirty_[i];
      dirty_[i] = false;
      if (dirty[i]) std::memcpy(texts[i], texts_[i], kSize);
      any = any || dirty[i];
    }
    return any;
  }

  bool Waiting() {
    std::scoped_lock lock(mutex_);
    return dirty_[0] || dirty_[1] || dirty_[2];
  }

 private:
  std::mutex mutex_;
  char texts_[kPanes][kSize] = {};
  bool dirty_[kPanes] = {};
};

}  // namespace tessaro
