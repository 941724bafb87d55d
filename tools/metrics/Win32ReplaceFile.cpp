#include <windows.h>

#include "tools/metrics/ReplaceFile.h"

namespace tessaro::metrics {

bool ReplaceFile(const std::string& from, const std::string& to, std::string& error) {
  // Unlike rename() in the C runtime, this replaces an existing file; a
  // reader holding the old one open (a collector mid-read) keeps its copy.
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  const DWORD code = GetLastError();
  char text[256] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, text, sizeof text, nullptr);
  error = n > 0 ? std::string(text, n) : "error " + std::to_string(code);
  while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == ' ')) {
    error.pop_back();
  }
  return false;
}

}  // namespace tessaro::metrics
