#include <windows.h>

#include "tools/metrics/RenameOver.h"

namespace tessaro::metrics {

bool RenameOver(const std::string& from, const std::string& to, std::string& error) {
  // Unlike rename() in the C runtime, this replaces an existing file (and,
  // being named RenameOver, escapes the ReplaceFile macro of windows.h).  A
  // collector that has the old file open without sharing its deletion
  // makes the move fail for as long as it reads: a few tries, 50 ms apart.
  DWORD code = 0;
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (attempt > 0) Sleep(50);
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    code = GetLastError();
    if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) break;
  }
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
