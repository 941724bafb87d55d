#pragma once

#include <windows.h>

namespace tessaro {

// Every message box of the window goes through here, so that a scripted run
// can log what the operator would read.  Returns MessageBoxA's answer.
int ShowBox(HWND owner, const char* text, const char* caption, UINT flags);

// When set, each box is also written to standard output as
// `box "CAPTION": TEXT` (line ends as spaces).
void LogBoxes(bool on);

}  // namespace tessaro
