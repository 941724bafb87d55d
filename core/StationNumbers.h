#pragma once

namespace tessaro {

// The network's numbers: bases 1..16, terminals 1..99.  The records keep a
// slot per number (slot 0 unused).
inline constexpr int kMaxBase = 16;
inline constexpr int kMaxTerminal = 99;

}  // namespace tessaro
