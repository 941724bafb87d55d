#pragma once

#include <windows.h>

namespace tessaro {

// The messages the window thread posts to itself or gets from the reader
// thread.
enum : UINT {
  kMsgRunCall = WM_APP + 1,  // lParam: a heap-allocated std::function<void()> to run
  kMsgCommand,               // wParam: a menu command id, run behind the current work
};

}  // namespace tessaro
