#pragma once

#include <windows.h>

#include <string>

namespace tessaro {

// Writes what the screen shows inside `area` (screen coordinates) as a
// 24-bit BMP file.  false when it cannot.
bool SaveScreenArea(const RECT& area, const std::string& path);

}  // namespace tessaro
