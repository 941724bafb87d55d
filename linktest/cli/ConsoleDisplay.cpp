#include "linktest/cli/ConsoleDisplay.h"

namespace tessaro::cli {

void ConsoleDisplay::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  const char* kind = icon == MessageIcon::Warning ? "warning" : "note";
  std::fprintf(messages_, "tessaro-linktest: %s: %s (%s)\n", kind, text, caption);
  std::fflush(messages_);
}

}  // namespace tessaro::cli
