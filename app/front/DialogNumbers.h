#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro {

// A dialog box's text read as an unsigned decimal number, the way the classic
// dialog manager reads an edit box: leading and trailing blanks are skipped,
// everything else must be digits, and the number must fit 32 bits.
struct UnsignedText {
  bool isNumber = false;  // the text was a number that fits 32 bits
  bool tooLarge = false;  // digits only, but beyond 32 bits
  std::uint32_t value = 0;
};

UnsignedText ReadUnsignedText(std::string_view text);

// The number a box stores when it is read for keeps: an empty box, a text that
// is not a number and a number beyond the signed 32-bit range all read 0, so
// that nothing is ever stored as a negative value.
std::int32_t StoredNumber(std::string_view text);

// What an up-down arrow does to its edit box: the edit's number when it is a
// number within the range, else the arrows' last position, moved by `delta`
// and held to lo..hi (no wrap).
int StepUpDown(std::string_view text, int lastPosition, int delta, int lo, int hi);

// The text a number is written back with (signed, as the boxes show it).
std::string NumberText(std::int32_t value);

}  // namespace tessaro
