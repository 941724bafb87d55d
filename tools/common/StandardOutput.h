#pragma once

namespace tessaro::cli {

// Whether everything written to standard output so far arrived; false after
// saying on standard error (as `program`) why not (a full disk, /dev/full, a
// reader that went away).  A program that reports success must check it.
bool StandardOutputArrived(const char* program);

}  // namespace tessaro::cli
