#include "tools/replay/TraceReplay.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "app/Engine.h"
#include "core/NullDisplay.h"
#include "download/DownloadSession.h"
#include "link/LineTrace.h"
#include "link/NullSerialPort.h"

namespace tessaro {

namespace {

using Events = std::vector<TraceEvent>;

// One open of the port and what happened on it, up to the next open.
struct Segment {
  std::size_t first = 0;
  std::size_t end = 0;
  bool download = false;
};

std::vector<Segment> SplitAtOpens(const Events& events) {
  std::vector<Segment> segments;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const TraceEvent& e = events[i];
    if (e.kind == "open") {
      if (!segments.empty()) segments.back().end = i;
      segments.push_back({i, events.size(), false});
    } else if (!segments.empty() && e.kind == "queues" &&
               e.text.find("out=1200") != std::string::npos) {
      segments.back().download = true;  // the download's own queues
    }
  }
  return segments;
}

std::string Shown(const std::string& bytes) {
  return EscapeLineBytes(bytes.data(), bytes.size());
}

class Answers final : public PortWriter {
 public:
  std::vector<std::string> writes;
  void Write(const char* bytes, std::size_t count) override { writes.emplace_back(bytes, count); }
};

// A session: inbound chunks through a fresh engine; its answers against the
// recorded writes up to the next chunk.
int ReplaySession(const Events& events, const Segment& s, const TraceReplayOptions& o,
                  std::FILE* out) {
  NullDisplay display;
  Answers answers;
  NullSerialPort noPort;
  SteadyClock clock;
  Engine engine(display, clock, noPort, &answers);
  for (std::size_t i = s.first; i < s.end; ++i) {
    if (events[i].kind != "line") continue;
    const unsigned baud = static_cast<unsigned>(std::strtoul(events[i].text.c_str(), nullptr, 10));
    for (int row = 0; row < kBaudCount; ++row) {
      if (static_cast<unsigned>(BaudTable[row].rate) == baud) engine.SelectBaud(row);
    }
    break;
  }
  engine.PresetLinkTest(o.passive ? LinkMode::Passive : LinkMode::Active, TestRun::Stopped);
  // A running test starts with the tool's first test packet.
  bool started = !o.running;
  // Answers after the tool's last write cannot be checked: it may have
  // stopped the test or be closing.
  std::size_t lastWrite = s.first;
  for (std::size_t i = s.first; i < s.end; ++i) {
    if (events[i].kind == ">") lastWrite = i;
  }
  int chunks = 0, answered = 0, differ = 0;
  for (std::size_t i = s.first; i < lastWrite; ++i) {
    if (!started && events[i].kind == ">" && events[i].bytes.rfind("@DT", 0) == 0) {
      engine.PresetLinkTest(LinkMode::Active, TestRun::Running);
      started = true;
    }
    if (events[i].kind != "<") continue;
    ++chunks;
    answers.writes.clear();
    engine.Feed(events[i].bytes.data(), events[i].bytes.size());
    std::size_t next = i + 1;
    for (const std::string& answer : answers.writes) {
      ++answered;
      std::size_t j = next;
      while (j < s.end && events[j].kind != "<" &&
             !(events[j].kind == ">" && events[j].bytes == answer))
        ++j;
      if (j < s.end && events[j].kind == ">") {
        next = j + 1;
        continue;
      }
      ++differ;
      std::fprintf(out, "line %d (%.3f ms): after < %s the tool answers > %s; not recorded\n",
                   events[i].lineNumber, events[i].ms, events[i].text.c_str(),
                   Shown(answer).c_str());
    }
  }
  std::fprintf(out, "session from line %d: %d inbound chunks, %d answers, %d differ\n",
               events[s.first].lineNumber, chunks, answered, differ);
  return differ;
}

// The far end of a recorded download: each write is compared with the next
// recorded one; the recorded replies come once the writes before them have.
// Waits take no time: they move the clock by their whole length.
class RecordedLine final : public SerialPort, public Clock {
 public:
  RecordedLine(const Events& events, const Segment& s, std::FILE* out)
      : events_(events), next_(s.first + 1), end_(s.end), out_(out) {}

  int differ = 0;
  int writes = 0;

  std::uint32_t NowMs() override { return now_; }
  bool Open(const char*) override { return true; }
  bool ApplyLineSettings(const LineSettings&) override { return true; }
  void SetQueuesAndTimeouts(const PortTimeouts&) override {}
  WaitResult WaitReadable(int timeoutMs) override {
    SkipControl();
    if (next_ < end_ && events_[next_].kind == "<") return WaitResult::Readable;
    if (next_ < end_ && events_[next_].kind == "hangup") return WaitResult::HungUp;
    now_ += static_cast<std::uint32_t>(timeoutMs < 0 ? 1000 : timeoutMs);
    return WaitResult::TimedOut;
  }
  void Wake() override {}
  long Read(char* buffer, std::size_t size) override {
    SkipControl();
    if (next_ >= end_ || events_[next_].kind != "<") return 0;
    const std::string& bytes = events_[next_].bytes;
    const std::size_t n = std::min(size, bytes.size() - taken_);
    std::memcpy(buffer, bytes.data() + taken_, n);
    taken_ += n;
    if (taken_ == bytes.size()) {
      taken_ = 0;
      ++next_;
    }
    return static_cast<long>(n);
  }
  long Write(const char* bytes, std::size_t count) override {
    ++writes;
    const std::string written(bytes, count);
    // Replies the tool did not wait for are passed over, as on the line.
    while (next_ < end_ && events_[next_].kind != ">") ++next_;
    taken_ = 0;
    if (next_ >= end_) {
      ++differ;
      std::fprintf(out_, "the tool sends > %s; the recording has ended\n", Shown(written).c_str());
      return static_cast<long>(count);
    }
    const TraceEvent& e = events_[next_++];
    if (e.bytes != written) {
      ++differ;
      std::fprintf(out_, "line %d (%.3f ms): the tool sends > %s; recorded > %s\n", e.lineNumber,
                   e.ms, Shown(written).c_str(), e.text.c_str());
    }
    return static_cast<long>(count);
  }
  void PurgeInput() override {}
  void Close() override {}
  bool IsOpen() const override { return true; }

 private:
  void SkipControl() {
    while (next_ < end_ && events_[next_].kind != "<" && events_[next_].kind != ">" &&
           events_[next_].kind != "hangup") {
      ++next_;
    }
  }

  const Events& events_;
  std::size_t next_;
  std::size_t end_;
  std::size_t taken_ = 0;
  std::FILE* out_;
  std::uint32_t now_ = 0;
};

class ReplayUi final : public DownloadUi {
 public:
  ReplayUi(const std::string& image, std::FILE* out) : image_(image), out_(out) {}
  bool ChooseImageFile(char* path, std::size_t size) override {
    std::snprintf(path, size, "%s", image_.c_str());
    return true;
  }
  void ShowMessage(const char* text, const char* caption, DownloadBox, BoxOwner) override {
    std::fprintf(out_, "  message %s: %s\n", caption, text);
  }
  bool AskRetry(const char*, const char*) override { return false; }
  void ShowProgress() override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  void LetWindowsPaint() override {}

 private:
  const std::string& image_;
  std::FILE* out_;
};

int ReplayDownload(const Events& events, const Segment& s, const TraceReplayOptions& o,
                   std::FILE* out) {
  if (o.imagePath.empty()) {
    std::fprintf(out, "download from line %d: skipped (give its image with --image)\n",
                 events[s.first].lineNumber);
    return 0;
  }
  RecordedLine line(events, s, out);
  ReplayUi ui(o.imagePath, out);
  PortSettings settings;
  DownloadState state;
  DownloadTiming timing;
  timing.pauseMs = 0;
  RunDownload(line, settings, line, ui, state, timing);
  std::fprintf(out, "download from line %d: %d writes, %d differ\n", events[s.first].lineNumber,
               line.writes, line.differ);
  return line.differ;
}

}  // namespace

int RunTraceReplay(const TraceReplayOptions& o, std::FILE* out, std::FILE* err) {
  std::FILE* file = std::fopen(o.tracePath.c_str(), "r");
  if (file == nullptr) {
    std::fprintf(err, "tessaro-replay: cannot read '%s': %s\n", o.tracePath.c_str(),
                 std::strerror(errno));
    return 1;
  }
  Events events;
  std::string error;
  const bool read = ReadTrace(file, events, error);
  std::fclose(file);
  if (!read) {
    std::fprintf(err, "tessaro-replay: %s: %s\n", o.tracePath.c_str(), error.c_str());
    return 1;
  }
  int differ = 0;
  for (const Segment& s : SplitAtOpens(events)) {
    differ += s.download ? ReplayDownload(events, s, o, out) : ReplaySession(events, s, o, out);
  }
  std::fprintf(out, "%s\n", differ == 0 ? "the tool answers as recorded" : "the answers differ");
  return differ == 0 ? 0 : 3;
}

}  // namespace tessaro
