#pragma once

#include <cstdio>
#include <string>

namespace tessaro {

// Options of `tessaro-replay --trace FILE`.
struct TraceReplayOptions {
  std::string tracePath;
  std::string imagePath;  // the image of a recorded download; empty: downloads are skipped
  bool passive = false;   // the link test in PASSIVE mode
  bool running = false;   // an ACTIVE test runs from the tool's first test packet on
};

// Replays the inbound side of a line trace (docs/traces.md) and compares the
// tool's answers with the recorded outbound side, printing to `out` each
// place where they differ and a summary per open of the port:
//   - a session: each inbound chunk is fed to a fresh application object;
//     every command it answers with must have been recorded, in that order,
//     before the next inbound chunk (commands the tool sent on its own, such
//     as test packets, are not answers and are not compared, nor are answers
//     to what came after the tool's last write);
//   - a download (the port set to the download's queues): the download runs
//     again on `imagePath` against the recorded replies, and every write must
//     equal the recorded one.
// Returns 0 when nothing differs, 1 when the trace cannot be read, 3 when
// something differs.
int RunTraceReplay(const TraceReplayOptions& options, std::FILE* out, std::FILE* err);

}  // namespace tessaro
