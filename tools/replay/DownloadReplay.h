#pragma once

#include <cstdio>

#include "tools/replay/SessionReplay.h"
#include "tools/replay/TraceReplay.h"
#include "tools/replay/TraceStream.h"

namespace tessaro {

// The download that starts with `open` (taken from `stream`): run again on
// the options' image against the recorded replies, every write compared
// with the recorded one.  Reads up to the next open.  Without an image, or
// with one that cannot be read or is refused, nothing is compared (skipped).
ReplayCounts ReplayDownload(TraceStream& stream, const TraceEvent& open,
                            const TraceReplayOptions& options, std::FILE* out);

}  // namespace tessaro
