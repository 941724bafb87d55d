#include "tools/common/ConsoleDisplay.h"

#include <cstring>

namespace tessaro::cli {

void ConsoleDisplay::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  const char* kind = icon == MessageIcon::Warning ? "warning" : "note";
  std::fprintf(messages_, "%s: %s: %s (%s)\n", program_, kind, text, caption);
  std::fflush(messages_);
}

}  // namespace tessaro::cli

namespace tessaro::cli {

// Each line of the details indented under the message.
void ConsoleDisplay::ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                                            const char* details) {
  ShowMessage(text, caption, icon);
  const char* line = details != nullptr ? details : "";
  while (*line != '\0') {
    const char* end = std::strchr(line, '\n');
    const int length = static_cast<int>(end != nullptr ? end - line : std::strlen(line));
    std::fprintf(messages_, "  %.*s\n", length, line);
    line = end != nullptr ? end + 1 : line + length;
  }
  std::fflush(messages_);
}

}  // namespace tessaro::cli
