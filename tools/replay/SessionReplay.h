#pragma once

#include <cstdio>

#include "core/TestState.h"
#include "tools/replay/TraceReplay.h"
#include "tools/replay/TraceStream.h"

namespace tessaro {

// What the test keeps from one session to the next: its criteria and mode.
struct CarriedTest {
  TestCriteria criteria{};
  LinkMode mode = LinkMode::Active;
};

// What the replay of one open of the port compared.
struct ReplayCounts {
  int recorded = 0;  // writes in the recording
  int compared = 0;  // writes compared: the tool's own plus recorded test packets it did not make
  int differ = 0;    // of those, the ones that differ
  int own = 0;       // recorded writes the tool makes by itself, not replayed ("@AT")
  bool skipped = false;  // nothing could be compared (a download without a usable image)
};

// The session that starts with `open` (taken from `stream`): its inbound
// chunks and test marks drive a fresh application object, whose writes are
// compared with the recorded ones.  Reads up to the open that starts the
// next session or download (a reopen after a hang-up belongs to this one).
// `carried` takes the test's criteria and mode from one session to the next.
ReplayCounts ReplaySession(TraceStream& stream, const TraceEvent& open,
                           const TraceReplayOptions& options, CarriedTest& carried, std::FILE* out);

// Test packets and PASSIVE echoes: the writes a replay must make again.
inline bool IsTestPacket(const std::string& bytes) {
  return bytes.compare(0, 3, "@DT") == 0;
}

}  // namespace tessaro
