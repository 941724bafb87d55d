#pragma once

#include <windows.h>

namespace tessaro {

// The messages the window thread posts to itself or gets from the reader
// thread.
enum : UINT {
  kMsgFlushPanes = WM_APP + 1,
  kMsgFlushCells,
  kMsgFlushRender,
  kMsgShowMessage,   // lParam: a heap-allocated PostedBox
  kMsgApplyButtons,  // lParam: a heap-allocated PostedButtons
  kMsgSupervision,   // wParam: running
  kMsgCommand,       // wParam: a menu command id, run behind the current work
};

}  // namespace tessaro
