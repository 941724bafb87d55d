#include "tools/replay/TraceStream.h"

#include <charconv>

namespace tessaro {

bool ParseShortWrite(const std::string& text, std::size_t& put, std::size_t& asked) {
  const char* first = text.data();
  const char* last = first + text.size();
  auto [stop, ec] = std::from_chars(first, last, put);
  if (ec != std::errc() || text.compare(static_cast<std::size_t>(stop - first), 4, " of ") != 0) {
    return false;
  }
  first = stop + 4;
  const auto [end, failed] = std::from_chars(first, last, asked);
  return failed == std::errc() && end == last && put < asked;
}

}  // namespace tessaro
