#pragma once

#include <cstdint>
#include <limits>

namespace tessaro {

// The counters of a terminal cell show five digits; they wrap back to 1,
// never to 0, so a running count is never mistaken for a cleared one.

// OK, DP, RE and the "@NG" report count: the largest value shown is 99998.
inline void CountWithWrap(std::int32_t& count) {
  ++count;
  if (count >= 99999) count = 1;
}

// The SD count: the largest value shown is 99999.
inline void CountSent(std::int32_t& count) {
  ++count;
  if (count > 99999) count = 1;
}

// The time-out count does not wrap.  It saturates at the top of its range
// instead of overflowing (a tick every 500 ms would need decades to get there).
inline void CountTimeout(std::int32_t& count) {
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
}

// Sequence numbers run 1..9999: 0 never appears on the line, so an echo that
// carries 0000 cannot be good.
inline void NextSequence(std::int32_t& sequence) {
  ++sequence;
  if (sequence > 9999 || sequence < 1) sequence = 1;
}

// Reply times are clipped at 99999 ms.  The difference of two ticks is taken
// modulo 2^32; a difference of 2^31 ms or more (a packet outstanding for weeks,
// or a send tick cleared by a reset) is a long time, not a negative one.
inline std::int32_t ClipReplyTime(std::uint32_t elapsed) {
  return elapsed >= 99999u ? 99999 : static_cast<std::int32_t>(elapsed);
}

// The average of `sum` over `count` measurements, 0 without any.  Every term
// of the sum is a clipped reply time, so a true average never exceeds 99999;
// the bound holds even when reports outnumber the divisor.
inline std::int32_t AverageReplyTime(std::int64_t sum, std::int64_t count) {
  if (count <= 0) return 0;
  const std::int64_t average = sum / count;
  if (average > 99999) return 99999;
  if (average < 0) return 0;
  return static_cast<std::int32_t>(average);
}

}  // namespace tessaro
