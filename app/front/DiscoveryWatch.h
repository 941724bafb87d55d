#pragma once

#include <cstdint>

namespace tessaro {

// How a front end's demo waits for discovery: it is over once the network's
// size (DiscoveredSize) has held still for kStableMs with something found,
// or after kLimitMs whatever was found.  Times are the caller's clock in ms.
class DiscoveryWatch {
 public:
  static constexpr std::int64_t kStableMs = 2500;
  static constexpr std::int64_t kLimitMs = 20000;

  void Start(std::int64_t nowMs) {
    start_ = stable_ = nowMs;
    lastSize_ = -1;
  }

  // Whether discovery is over at `nowMs`, the network being `size` now.
  bool Over(int size, std::int64_t nowMs) {
    if (size != lastSize_) {
      lastSize_ = size;
      stable_ = nowMs;
    }
    const bool settled = size > 0 && nowMs - stable_ >= kStableMs;
    return settled || nowMs - start_ >= kLimitMs;
  }

 private:
  std::int64_t start_ = 0;
  std::int64_t stable_ = 0;
  int lastSize_ = -1;
};

}  // namespace tessaro
