#pragma once

#include <cstdint>

namespace tessaro {

// The millisecond tick count.  32 bits, wrapping; differences are taken
// modulo 2^32.  Tests replace it with a manual clock.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint32_t NowMs() = 0;
};

// Milliseconds of the steady clock, truncated to 32 bits.
class SteadyClock final : public Clock {
 public:
  std::uint32_t NowMs() override;
};

// Milliseconds elapsed from `since` to `now`, as the signed 32-bit value the
// time-out rules compare.
inline std::int32_t ElapsedMs(std::uint32_t now, std::uint32_t since) {
  return static_cast<std::int32_t>(now - since);
}

}  // namespace tessaro
