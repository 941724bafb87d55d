#pragma once

#include <cstdint>

namespace tessaro {

// When to try reopening a lost line again: at once, then after 250 ms,
// doubling up to 2 s, however often the front end asks.  A gap of a minute
// costs some thirty attempts (and trace lines), not thousands.
class ReopenBackoff {
 public:
  static constexpr std::uint32_t kFirstMs = 250;
  static constexpr std::uint32_t kLongestMs = 2000;

  bool Due(std::uint32_t nowMs) const { return !waiting_ || nowMs - failedAtMs_ >= delayMs_; }
  void Failed(std::uint32_t nowMs) {
    delayMs_ = !waiting_ ? kFirstMs : (delayMs_ >= kLongestMs / 2 ? kLongestMs : delayMs_ * 2);
    waiting_ = true;
    failedAtMs_ = nowMs;
  }
  void Reset() { waiting_ = false; }

 private:
  bool waiting_ = false;
  std::uint32_t delayMs_ = kFirstMs;
  std::uint32_t failedAtMs_ = 0;
};

}  // namespace tessaro
