#pragma once

#include <cstdio>

#include "app/Engine.h"
#include "linktest/cli/ConsoleDisplay.h"
#include "linktest/cli/Options.h"

namespace tessaro::cli {

// Exit statuses of tessaro-linktest.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPort = 3;
inline constexpr int kExitNoBase = 4;
inline constexpr int kExitOutput = 5;
// The serial device went away during the test and was not back at its end.
inline constexpr int kExitLinkLost = 6;
inline constexpr int kExitInterrupted = 130;

// How the runner waits: sleeps up to `ms` milliseconds and returns false when
// the run is to end at once (the user pressed Ctrl-C).
class Pause {
 public:
  virtual ~Pause() = default;
  virtual bool Sleep(int ms) = 0;
};

struct Console {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool tty = false;  // refresh the live table in place
  int rows = 24;     // lines of the terminal window when tty
};

// "COM1".."COM6": the index into the port table; -1 for anything else (a
// device path).
int ComPortIndex(const char* name);

// Opens the port as the Open command does, waits for discovery, runs the test
// and reports.  `engine` must have been built on `display` and on a serial
// port that opens `options.port`.  Returns the exit status.
int RunLinkTest(const LinkTestOptions& options, Engine& engine, ConsoleDisplay& display,
                Pause& pause, const Console& console);

}  // namespace tessaro::cli
