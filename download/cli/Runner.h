#pragma once

#include <cstdio>

#include "app/Engine.h"
#include "download/cli/Options.h"

namespace tessaro::cli {

struct DownloadConsole {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool tty = false;  // draw the progress bar in place
};

// Checks the image, and unless only that was asked: opens the session,
// waits for the base, sends it "@UP", closes the session and runs the
// download.  `engine` must be built on a serial port that opens
// `options.port`.  Returns the exit status (download/cli/Statuses.h).
int RunDownloadTool(const DownloadOptions& options, Engine& engine, const DownloadConsole& console);

// --check alone: no engine, no port.
int CheckImageOnly(const DownloadOptions& options, const DownloadConsole& console);

}  // namespace tessaro::cli
