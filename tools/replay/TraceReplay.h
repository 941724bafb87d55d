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

// Exit statuses of a trace replay.
inline constexpr int kReplaySame = 0;             // writes were compared and none differ
inline constexpr int kReplayUnreadable = 1;       // the trace cannot be read
inline constexpr int kReplayDiffers = 3;          // a write differs
inline constexpr int kReplayNothingCompared = 4;  // nothing, or not everything, could be compared

// Replays a line trace (docs/traces.md), reading it as it goes, and compares
// the tool's writes with the recorded ones, printing to `out` each place
// where they differ, a summary per open of the port and a verdict:
//   - a session: the inbound chunks and the "test" lines (START, STOP, mode
//     changes, time-outs, reconnects) drive a fresh application object;
//     each write it makes must have been recorded after what caused it, and
//     every recorded test packet must be made again.  Writes the tool makes
//     on its own ("@AT" after the open, the terminal query) are counted, not
//     compared;
//   - a download (the port set to the download's queues): the download runs
//     again on `imagePath` against the recorded replies, and every write must
//     equal the recorded one (a write that went out in part, as far as it
//     went).
// Returns one of the statuses above: a trace recorded by the simulator, one
// without an open of the port, and a download without a usable image are not
// "as recorded".
int RunTraceReplay(const TraceReplayOptions& options, std::FILE* out, std::FILE* err);

}  // namespace tessaro
