#include <windows.h>

#include <io.h>
#include <cstdio>

#include "tools/common/Terminal.h"

namespace tessaro::cli {

namespace {

// The console calls its handler on a thread of its own with no argument, so
// the event it sets is the one value shared this way; set once, before any
// thread starts, and never changed.
HANDLE interruptEvent = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD type) {
  switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      SetEvent(interruptEvent);
      return TRUE;
    default:
      return FALSE;
  }
}

class EventPause final : public Pause {
 public:
  bool Sleep(int ms) override {
    return WaitForSingleObject(interruptEvent, ms < 0 ? 0 : static_cast<DWORD>(ms)) !=
           WAIT_OBJECT_0;
  }
};

}  // namespace

std::unique_ptr<Pause> TakeInterrupts() {
  if (interruptEvent == nullptr) interruptEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (interruptEvent != nullptr) (void)SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  return std::make_unique<EventPause>();
}

// A console's close ends the program anyway, and there is no SIGPIPE.
void OutliveTheTerminal() {}

void DescribeTerminal(Console& console) {
  const int fd = _fileno(console.out);
  const HANDLE out = fd >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(fd)) : INVALID_HANDLE_VALUE;
  DWORD mode = 0;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  console.tty = out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode) &&
                GetConsoleScreenBufferInfo(out, &info);
  if (!console.tty) return;
  // The live table moves the cursor with terminal escapes, which a console
  // before Windows 10 shows as text: then it prints its lines one after another.
  if (!SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
    console.tty = false;
    return;
  }
  const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
  console.rows = rows > 0 ? rows : 24;
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  console.columns = columns > 0 ? columns : 80;
}

}  // namespace tessaro::cli
