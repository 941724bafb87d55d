#pragma once

#include <cstdio>

namespace tessaro::cli {

// How a command-line program waits: sleeps up to `ms` milliseconds and
// returns false when the run is to end at once (the user pressed Ctrl-C).
class Pause {
 public:
  virtual ~Pause() = default;
  virtual bool Sleep(int ms) = 0;
};

// Where a command-line program writes, and what standard output is.
struct Console {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool tty = false;  // redraw in place (live table, progress bar)
  int rows = 24;     // lines of the terminal window when tty
  int columns = 80;  // its width; a line drawn in place must stay shorter
};

// "COM1".."COM6": the index into the port table; -1 for anything else (a
// device path).
int ComPortIndex(const char* name);

}  // namespace tessaro::cli
