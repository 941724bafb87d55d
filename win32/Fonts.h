#pragma once

#include <windows.h>

namespace tessaro {

// The fixed-pitch view font (app/front/ViewLook.h): its face where
// installed, else a fixed-pitch face Windows ships.
HFONT MakeViewFont();

// The bold face of the numbers on the pictures.
HFONT MakeSystemFont();

// The first of `faces` (a null-terminated list) that is installed, or nullptr.
const char* FirstInstalledFace(const char* const* faces);

}  // namespace tessaro
