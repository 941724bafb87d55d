#pragma once

#include <cstddef>

namespace tessaro {

// Why a port did not open, kept as a value beside the fixed "Can't open the
// COM port!": the device path tried, the system's error number and its text,
// and a hint for the usual cases.  A plain fixed-size record; empty texts when
// the platform could not say.
struct OpenFailure {
  int error = 0;          // errno (the system's error code on other platforms); 0: none known
  char path[256] = {};    // the device path tried
  char reason[128] = {};  // the system's reason ("Permission denied")
  char hint[256] = {};    // what to do about it, or empty
  char port[320] = {};    // for a COM name: the device it stands for and why

  bool Known() const { return path[0] != '\0' || reason[0] != '\0'; }
};

// The failure as lines for a message box's details or a console:
// "Device: <path>\nReason: <reason>\nPort: <port>\n<hint>" (lines that
// would be empty are left out).  Returns the length written, truncated to fit `size`.
std::size_t FormatOpenFailure(const OpenFailure& failure, char* out, std::size_t size);

// Copies `text` into the fixed field `field` of `size` bytes, cut to fit.
void CopyField(char* field, std::size_t size, const char* text);

}  // namespace tessaro
