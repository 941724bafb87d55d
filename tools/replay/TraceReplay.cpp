#include "tools/replay/TraceReplay.h"

#include <cerrno>
#include <cstring>

#include "app/TestMarks.h"
#include "tools/replay/DownloadReplay.h"
#include "tools/replay/SessionReplay.h"
#include "tools/replay/TraceStream.h"

namespace tessaro {

namespace {

struct Totals {
  int sessions = 0;
  int downloads = 0;
  int compared = 0;
  int differ = 0;
  int skipped = 0;
  bool simulator = false;
};

// What the replay found, and its exit status.
int Verdict(const Totals& t, std::FILE* out) {
  if (t.simulator) {
    std::fprintf(out,
                 "nothing compared: the simulator recorded this trace (its side of the line); "
                 "replay the trace of the tool\n");
    return kReplayNothingCompared;
  }
  if (t.sessions + t.downloads == 0) {
    std::fprintf(out, "nothing compared: the trace records no open of the port\n");
    return kReplayNothingCompared;
  }
  if (t.differ > 0) {
    std::fprintf(out, "%d of %d writes compared differ: the answers differ\n", t.differ,
                 t.compared);
    return kReplayDiffers;
  }
  if (t.compared == 0) {
    std::fprintf(out, "nothing compared: no write of the tool's could be checked\n");
    return kReplayNothingCompared;
  }
  if (t.skipped > 0) {
    std::fprintf(out, "%d writes compared, none differ, but %d download%s not compared\n",
                 t.compared, t.skipped, t.skipped == 1 ? " was" : "s were");
    return kReplayNothingCompared;
  }
  std::fprintf(out, "%d writes compared: the tool answers as recorded\n", t.compared);
  return kReplaySame;
}

}  // namespace

int RunTraceReplay(const TraceReplayOptions& o, std::FILE* out, std::FILE* err) {
  std::FILE* file = std::fopen(o.tracePath.c_str(), "r");
  if (file == nullptr) {
    std::fprintf(err, "tessaro-replay: cannot read '%s': %s\n", o.tracePath.c_str(),
                 std::strerror(errno));
    return kReplayUnreadable;
  }
  TraceStream stream(file);
  CarriedTest carried;
  carried.mode = o.passive ? LinkMode::Passive : LinkMode::Active;
  Totals totals;
  TraceEvent e;
  while (!totals.simulator && stream.Take(e)) {
    TestMark mark;
    // Criteria chosen before the port was opened.
    if (e.kind == "test" && ParseTestMark(e.text, mark) && mark.kind == TestMarkKind::Criteria) {
      carried.criteria = mark.criteria;
    }
    totals.simulator = e.kind == "speed";
    if (!IsOpenOk(e)) continue;
    const TraceEvent* next = stream.Peek();
    if (next != nullptr && next->kind == "speed") {
      totals.simulator = true;
    } else if (next != nullptr && IsDownloadQueues(*next)) {
      const ReplayCounts c = ReplayDownload(stream, e, o, out);
      ++totals.downloads;
      totals.compared += c.compared;
      totals.differ += c.differ;
      totals.skipped += c.skipped ? 1 : 0;
    } else {
      const ReplayCounts c = ReplaySession(stream, e, o, carried, out);
      ++totals.sessions;
      totals.compared += c.compared;
      totals.differ += c.differ;
    }
  }
  std::fclose(file);
  if (!stream.Error().empty()) {
    std::fprintf(err, "tessaro-replay: %s: %s\n", o.tracePath.c_str(), stream.Error().c_str());
    return kReplayUnreadable;
  }
  return Verdict(totals, out);
}

}  // namespace tessaro
