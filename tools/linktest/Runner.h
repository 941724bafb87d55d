#pragma once

#include "app/Engine.h"
#include "tools/common/Console.h"
#include "tools/common/ConsoleDisplay.h"
#include "tools/linktest/Options.h"

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

// Opens the port as the Open command does, waits for discovery, runs the test
// and reports.  `engine` must have been built on `display` and on a serial
// port that opens `options.port`.  Returns the exit status.
int RunLinkTest(const LinkTestOptions& options, Engine& engine, ConsoleDisplay& display,
                Pause& pause, const Console& console);

}  // namespace tessaro::cli
