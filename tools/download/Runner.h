#pragma once

#include "app/Engine.h"
#include "tools/common/Console.h"
#include "tools/download/Options.h"

namespace tessaro::cli {

// tty: the progress bar is drawn in place.
using DownloadConsole = Console;

// Checks the image, and unless only that was asked: opens the session,
// waits for the base, sends it "@UP", closes the session and runs the
// download.  `engine` must be built on a serial port that opens
// `options.port`.  Returns the exit status (tools/download/Statuses.h).
// Interrupts come through `pause` (TakeInterrupts): before "@UP" they end
// the run at once; after it they stop the download between packets.
int RunDownloadTool(const DownloadOptions& options, Engine& engine, const DownloadConsole& console,
                    Pause& pause);

// --check alone: no engine, no port.
int CheckImageOnly(const DownloadOptions& options, const DownloadConsole& console);

}  // namespace tessaro::cli
