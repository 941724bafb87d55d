#pragma once

#include <cstdint>
#include <string_view>

#include "linktest/TestState.h"

namespace tessaro {

// Upper bounds of the two checked boxes of the testing criteria.
inline constexpr std::uint32_t kDataLengthBound = 300;
inline constexpr std::uint32_t kTimeoutBound = 99;

// The check run on every change of a checked box: true when the box must get
// the stored value back.  An empty box is left empty; any other text that is
// not a number, and any number above `bound`, is refused.  The number is
// compared unsigned, so 2147483648 and more are refused too instead of
// passing as negative values.
bool NeedsRestore(std::string_view text, std::uint32_t bound);

// OK: the three boxes read as unsigned numbers (empty or not a number: 0;
// never a negative value).
void StoreCriteria(TestCriteria& criteria, std::string_view dataLength,
                   std::string_view retransmits, std::string_view timeoutSeconds);

}  // namespace tessaro
