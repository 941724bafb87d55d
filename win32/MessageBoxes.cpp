#include "win32/MessageBoxes.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace tessaro {

namespace {

std::atomic<bool> logBoxes{false};

}  // namespace

void LogBoxes(bool on) {
  logBoxes.store(on);
}

int ShowBox(HWND owner, const char* text, const char* caption, UINT flags) {
  if (logBoxes.load()) {
    std::string line(text);
    for (char& c : line) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    std::printf("box \"%s\": %s\n", caption, line.c_str());
    std::fflush(stdout);
  }
  return MessageBoxA(owner, text, caption, flags);
}

}  // namespace tessaro
