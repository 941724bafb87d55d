#pragma once

namespace tessaro {

// Line offsets of the five counter texts in a terminal cell.
inline constexpr int kFirstCounterLine = 0;    // SD / RE
inline constexpr int kSecondCounterLine = 14;  // OK / DP
inline constexpr int kNgLine = 28;
inline constexpr int kTimeLine = 44;
inline constexpr int kAverageLine = 58;

}  // namespace tessaro
