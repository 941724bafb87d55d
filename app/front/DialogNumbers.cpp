#include "app/front/DialogNumbers.h"

#include <limits>

namespace tessaro {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

UnsignedText ReadUnsignedText(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  UnsignedText result;
  if (begin == end) return result;
  std::uint64_t value = 0;
  bool overflow = false;
  for (std::size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return result;
    if (!overflow) {
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
      if (value > std::numeric_limits<std::uint32_t>::max()) overflow = true;
    }
  }
  if (overflow) {
    result.tooLarge = true;
    return result;
  }
  result.isNumber = true;
  result.value = static_cast<std::uint32_t>(value);
  return result;
}

std::int32_t StoredNumber(std::string_view text) {
  const UnsignedText read = ReadUnsignedText(text);
  if (!read.isNumber || read.value > static_cast<std::uint32_t>(INT32_MAX)) return 0;
  return static_cast<std::int32_t>(read.value);
}

int StepUpDown(std::string_view text, int lastPosition, int delta, int lo, int hi) {
  int position = lastPosition;
  const UnsignedText read = ReadUnsignedText(text);
  const long long typed = read.value;
  if (read.isNumber && typed >= lo && typed <= hi) position = static_cast<int>(typed);
  // Widen first: a position at INT_MAX must not overflow.
  long long next = static_cast<long long>(position) + delta;
  if (next < lo) next = lo;
  if (next > hi) next = hi;
  return static_cast<int>(next);
}

std::string NumberText(std::int32_t value) {
  return std::to_string(value);
}

}  // namespace tessaro
