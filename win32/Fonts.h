#pragma once

#include <windows.h>

#include "app/front/ViewScale.h"

namespace tessaro {

// The fixed-pitch view font (app/front/ViewLook.h) at `scale`: its face
// where installed, else a fixed-pitch face Windows ships.
HFONT MakeViewFont(const ViewScale& scale);

// The bold face of the numbers on the pictures at `scale`.
HFONT MakeSystemFont(const ViewScale& scale);

// The face of the buttons, the status bar and the dialogs' texts (the GUI
// font, 11 pixels at 96 dots per inch) at `scale`.
HFONT MakeGuiFont(const ViewScale& scale);

// The dots per inch of the screen `hwnd` is on (the system's where Windows
// cannot say per window).
int WindowDpi(HWND hwnd);

// Moves and sizes `hwnd` to the rectangle WM_DPICHANGED suggests (`lParam`).
void MoveToSuggested(HWND hwnd, LPARAM lParam);

// The first of `faces` (a null-terminated list) that is installed, or nullptr.
const char* FirstInstalledFace(const char* const* faces);

}  // namespace tessaro
