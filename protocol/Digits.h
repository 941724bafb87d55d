#pragma once

#include <cstddef>

#include "core/StationNumbers.h"

namespace tessaro {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The two-digit number at text[pos], text[pos + 1]; -1 when the message is
// too short or either character is not a decimal digit.
inline int DecodeTwoDigits(const char* text, std::size_t length, std::size_t pos) {
  if (pos + 1 >= length) return -1;
  const char hi = text[pos];
  const char lo = text[pos + 1];
  if (!IsDigit(hi) || !IsDigit(lo)) return -1;
  return (hi - '0') * 10 + (lo - '0');
}

inline bool IsBaseNumber(int n) {
  return n >= 1 && n <= kMaxBase;
}
inline bool IsTerminalNumber(int n) {
  return n >= 1 && n <= kMaxTerminal;
}

// Writes n (0..99) as two digits with a leading zero.
inline void EncodeTwoDigits(int n, char* out) {
  out[0] = static_cast<char>('0' + (n / 10) % 10);
  out[1] = static_cast<char>('0' + n % 10);
}

}  // namespace tessaro
