#include "link/OpenFailure.h"

#include <algorithm>
#include <cstdio>

namespace tessaro {

void CopyField(char* field, std::size_t size, const char* text) {
  if (size == 0) return;
  std::snprintf(field, size, "%s", text != nullptr ? text : "");
}

std::size_t FormatOpenFailure(const OpenFailure& failure, char* out, std::size_t size) {
  if (size == 0) return 0;
  out[0] = '\0';
  std::size_t used = 0;
  const auto add = [&](const char* label, const char* text) {
    if (text[0] == '\0' || used + 1 >= size) return;
    const int n =
        std::snprintf(out + used, size - used, "%s%s%s", used > 0 ? "\n" : "", label, text);
    if (n < 0) return;
    used = std::min(size - 1, used + static_cast<std::size_t>(n));
  };
  add("Device: ", failure.path);
  add("Reason: ", failure.reason);
  add("Port: ", failure.port);
  add("", failure.hint);
  return used;
}

}  // namespace tessaro
