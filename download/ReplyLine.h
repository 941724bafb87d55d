#pragma once

#include <cstddef>
#include <cstring>

namespace tessaro {

// The latest reply line of the base's loader, without its last byte (the CR
// that ended it).  The replies the download knows are at most four
// characters; a longer line keeps its first 15 bytes and drops the rest, so
// it can never be taken for one of them.
struct ReplyLine {
  static constexpr std::size_t kSize = 16;

  char text[kSize] = {};
  std::size_t length = 0;    // bytes in text, the terminator not counted
  std::size_t received = 0;  // bytes received for this line, kept or not

  void Clear() {
    length = 0;
    received = 0;
    text[0] = '\0';
  }

  void Append(const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (length < kSize - 1) text[length++] = bytes[i];
    }
    received += count;
  }

  // The last byte received gives way to the terminator.  It is already gone
  // when the line overflowed.
  void Finish() {
    if (received > 0 && received <= kSize - 1) --length;
    text[length] = '\0';
  }

  // Exact comparison: a reply with a NUL inside is not the text before it.
  bool Is(const char* reply) const {
    return std::strlen(reply) == length && std::memcmp(text, reply, length) == 0;
  }
};

}  // namespace tessaro
