#pragma once

#include <cstdio>
#include <string>

namespace tessaro {

// Options of tessaro-replay.
struct ReplayOptions {
  bool passive = false;  // the link test in PASSIVE mode
  bool running = false;  // an ACTIVE test running (new terminals get packets)
  int baudIndex = 0;     // the PC's baud row (0..7)
  bool cells = false;    // also print every cell redraw
};

// Escapes control bytes for printing: "\r" as \r, "\n" as \n, others as \xNN.
std::string EscapeBytes(const char* bytes, std::size_t count);

// Feeds `input` through the frame assembler and dispatcher of a fresh
// application object whose port records instead of sending, and prints to
// `out`, in order, each dispatched message ("<- "), each command the program
// would send ("-> "), each status-bar pane change ("pane N: "), then the
// registry and the six-channel mode.  Returns 0, or 1 when `input` fails.
int RunReplay(std::FILE* input, std::FILE* out, const ReplayOptions& options);

}  // namespace tessaro
