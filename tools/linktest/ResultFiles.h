#pragma once

#include <cstdio>
#include <string>

#include "linktest/SeriesLog.h"
#include "tools/linktest/Options.h"
#include "tools/linktest/Results.h"

namespace tessaro::cli {

// The result files of a run (--json, --csv, --series).  They are checked
// before the port is opened, so that a bad path fails at once, but written
// only when there are results, and each through a temporary file beside it
// that is renamed over it: a run that fails, or a full disk, leaves an
// earlier file as it was.  A path that is not a regular file (a device, a
// pipe) is written directly.

// false, with a message on `err`, when a result file cannot be written.
bool CheckResultFiles(const LinkTestOptions& options, std::FILE* err);

// Writes every file asked for; false, with a message on `err` for each file
// that failed, when any write fails.
bool WriteResultFiles(const LinkTestOptions& options, const Results& results,
                      const SeriesLog& series, std::FILE* err);

// The temporary file written before the rename.
std::string PartialPath(const std::string& path);

}  // namespace tessaro::cli
