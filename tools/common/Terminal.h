#pragma once

#include <memory>

#include "tools/common/Console.h"

namespace tessaro::cli {

// The console of a command-line program, one file per platform.

// Takes the user's interrupt (Ctrl-C; on POSIX also SIGTERM and SIGHUP) away
// from its default of ending the program and returns the Pause whose sleeps
// end early, returning false, once one came.  Call once, before any thread
// starts (threads started later inherit what it sets).  The Pause belongs to
// the thread that runs the test.
std::unique_ptr<Pause> TakeInterrupts();

// From the point where stopping would leave the far end in the middle of
// something: a closed terminal (SIGHUP) or a closed pipe on standard output
// (SIGPIPE) no longer end the program; its writes there just fail.
void OutliveTheTerminal();

// Whether `console.out` is a terminal, and its rows and columns when it is; prepares it
// for the live table's cursor movements.  Main thread, before the run.
void DescribeTerminal(Console& console);

}  // namespace tessaro::cli
