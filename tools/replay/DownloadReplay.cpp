#include "tools/replay/DownloadReplay.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "download/DownloadSession.h"

namespace tessaro {

namespace {

std::string Shown(const std::string& bytes) {
  return EscapeLineBytes(bytes.data(), bytes.size());
}

// The far end of a recorded download: each write is compared with the next
// recorded one; the recorded replies come once the writes before them have.
// Waits take no time: they move the clock by their whole length.
class RecordedLine final : public SerialPort, public Clock {
 public:
  RecordedLine(TraceStream& stream, std::FILE* out) : stream_(stream), out_(out) {}

  ReplayCounts counts;

  std::uint32_t NowMs() override { return now_; }
  bool Open(const char*) override { return true; }
  bool ApplyLineSettings(const LineSettings&) override { return true; }
  void SetQueuesAndTimeouts(const PortTimeouts&) override {}
  WaitResult WaitReadable(int timeoutMs) override {
    SkipControl();
    const TraceEvent* e = Current();
    if (e != nullptr && e->kind == "<") return WaitResult::Readable;
    if (e != nullptr && e->kind == "hangup") return WaitResult::HungUp;
    now_ += static_cast<std::uint32_t>(timeoutMs < 0 ? 1000 : timeoutMs);
    return WaitResult::TimedOut;
  }
  void Wake() override {}
  long Read(char* buffer, std::size_t size) override {
    SkipControl();
    const TraceEvent* e = Current();
    if (e == nullptr || e->kind != "<") return 0;
    const std::size_t n = std::min(size, e->bytes.size() - taken_);
    std::memcpy(buffer, e->bytes.data() + taken_, n);
    taken_ += n;
    if (taken_ == e->bytes.size()) Skip();
    return static_cast<long>(n);
  }
  long Write(const char* bytes, std::size_t count) override;
  void PurgeInput() override {}
  void Close() override {}
  bool IsOpen() const override { return true; }

  // The recorded writes the download did not make.
  void Finish();

 private:
  // The next event of this download; nullptr at the open that ends it.
  const TraceEvent* Current() {
    const TraceEvent* e = stream_.Peek();
    return e == nullptr || IsOpenOk(*e) ? nullptr : e;
  }
  void Skip() {
    TraceEvent e;
    stream_.Take(e);
    taken_ = 0;
  }
  void SkipControl() {
    for (const TraceEvent* e = Current(); e != nullptr; e = Current()) {
      if (e->kind == "<" || e->kind == ">" || e->kind == "hangup" || e->kind == "write-short") {
        return;
      }
      Skip();
    }
  }
  void Differ(const std::string& text) {
    ++counts.differ;
    if (++shown_ <= 20) std::fputs(text.c_str(), out_);
  }

  TraceStream& stream_;
  std::FILE* out_;
  std::size_t taken_ = 0;
  std::uint32_t now_ = 0;
  int shown_ = 0;
};

long RecordedLine::Write(const char* bytes, std::size_t count) {
  ++counts.compared;
  const std::string written(bytes, count);
  // Replies the tool did not wait for are passed over, as on the line.
  const TraceEvent* e = Current();
  while (e != nullptr && e->kind != ">" && e->kind != "write-short") {
    Skip();
    e = Current();
  }
  if (e == nullptr) {
    Differ("the tool sends > " + Shown(written) + "; the recording has ended\n");
    return static_cast<long>(count);
  }
  ++counts.recorded;
  char where[64];
  std::snprintf(where, sizeof where, "line %d (%.3f ms): ", e->lineNumber, e->ms);
  // What went out; a write that went out in part (the line dropped) is
  // followed by how much was asked, one that put out nothing is only that.
  std::string recorded;
  std::string text = "nothing";
  if (e->kind == ">") {
    recorded = e->bytes;
    text = e->text;
    Skip();
    e = Current();
  }
  std::size_t put = 0, asked = 0;
  if (e != nullptr && e->kind == "write-short" && ParseShortWrite(e->text, put, asked) &&
      put == recorded.size()) {
    Skip();
    text += " (" + std::to_string(put) + " of " + std::to_string(asked) + " bytes)";
  } else {
    if (recorded.empty()) Skip();  // a write-short that says nothing
    put = asked = recorded.size();
  }
  if (written.size() != asked || written.compare(0, recorded.size(), recorded) != 0) {
    Differ(std::string(where) + "the tool sends > " + Shown(written) + "; recorded > " + text +
           "\n");
  }
  if (put == 0 && asked > 0) return -1;
  return static_cast<long>(std::min(put, count));
}

void RecordedLine::Finish() {
  for (const TraceEvent* e = Current(); e != nullptr; e = Current()) {
    if (e->kind == ">") {
      ++counts.recorded;
      ++counts.compared;
      char where[64];
      std::snprintf(where, sizeof where, "line %d (%.3f ms): ", e->lineNumber, e->ms);
      Differ(std::string(where) + "recorded > " + e->text + "; the download does not send it\n");
    }
    Skip();
  }
  if (shown_ > 20) std::fprintf(out_, "... and %d more differences\n", shown_ - 20);
}

class ReplayUi final : public DownloadUi {
 public:
  ReplayUi(const std::string& image, std::FILE* out) : image_(image), out_(out) {}
  bool ChooseImageFile(char* path, std::size_t size) override {
    std::snprintf(path, size, "%s", image_.c_str());
    return true;
  }
  void ShowMessage(const char* text, const char* caption, DownloadBox, BoxOwner) override {
    std::fprintf(out_, "  message %s: %s\n", caption, text);
    if (first_.empty()) first_ = text;
  }
  bool AskRetry(const char*, const char*) override { return false; }
  void ShowProgress() override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  void LetWindowsPaint() override {}
  // The first message the download showed.
  const std::string& First() const { return first_; }

 private:
  const std::string& image_;
  std::FILE* out_;
  std::string first_;
};

// Passes over the rest of a download that is not replayed, counting its writes.
int SkipDownload(TraceStream& stream) {
  int writes = 0;
  for (const TraceEvent* e = stream.Peek(); e != nullptr && !IsOpenOk(*e); e = stream.Peek()) {
    if (e->kind == ">") ++writes;
    TraceEvent taken;
    stream.Take(taken);
  }
  return writes;
}

}  // namespace

ReplayCounts ReplayDownload(TraceStream& stream, const TraceEvent& open,
                            const TraceReplayOptions& o, std::FILE* out) {
  ReplayCounts counts;
  if (o.imagePath.empty()) {
    counts.recorded = SkipDownload(stream);
    counts.skipped = true;
    std::fprintf(out,
                 "download from line %d: not compared (%d writes recorded): give its image with "
                 "--image\n",
                 open.lineNumber, counts.recorded);
    return counts;
  }
  RecordedLine line(stream, out);
  ReplayUi ui(o.imagePath, out);
  PortSettings settings;
  DownloadState state;
  DownloadTiming timing;
  timing.pauseMs = 0;
  const DownloadResult result = RunDownload(line, settings, line, ui, state, timing);
  if (line.counts.compared == 0 && result != DownloadResult::kCompleted) {
    // The image never went near the line: cannot be read, or refused.
    counts.recorded = SkipDownload(stream);
    counts.skipped = true;
    std::fprintf(out,
                 "download from line %d: not compared (%d writes recorded): the image %s: %s\n",
                 open.lineNumber, counts.recorded, o.imagePath.c_str(), ui.First().c_str());
    return counts;
  }
  line.Finish();
  counts = line.counts;
  std::fprintf(out, "download from line %d: %d writes recorded, %d compared, %d differ\n",
               open.lineNumber, counts.recorded, counts.compared, counts.differ);
  return counts;
}

}  // namespace tessaro
