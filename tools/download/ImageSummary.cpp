#include "tools/download/ImageSummary.h"

#include <cinttypes>
#include <deque>

#include "download/LineExchange.h"
#include "download/SRecordConverter.h"
#include "download/SRecordParser.h"

namespace tessaro::cli {

namespace {

// Collects the records and the address ranges.
class SummarySink final : public RecordSink {
 public:
  explicit SummarySink(ImageSummary& summary) : s_(summary) {}

  bool OnDataAddress(std::uint32_t address, int dataCount) override {
    if (dataCount == 0) return true;
    ++s_.dataRecords;
    if (s_.ranges.empty() || s_.ranges.back().first + s_.ranges.back().bytes != address) {
      s_.ranges.push_back({address, 0});
    }
    return true;
  }
  bool OnDataByte(std::uint8_t) override {
    ++s_.bytes;
    ++s_.ranges.back().bytes;
    return true;
  }
  bool OnDataRecordEnd() override { return true; }
  void OnEndRecord() override {}

 private:
  ImageSummary& s_;
};

// A loader that takes every packet at once: each write is answered "FA".
class AcceptingPort final : public SerialPort {
 public:
  int writes = 0;

  bool Open(const char*) override { return true; }
  bool ApplyLineSettings(const LineSettings&) override { return true; }
  void SetQueuesAndTimeouts(const PortTimeouts&) override {}
  WaitResult WaitReadable(int) override {
    return pending_.empty() ? WaitResult::TimedOut : WaitResult::Readable;
  }
  void Wake() override {}
  long Read(char* buffer, std::size_t size) override {
    std::size_t n = 0;
    while (n < size && !pending_.empty()) {
      buffer[n++] = pending_.front();
      pending_.pop_front();
    }
    return static_cast<long>(n);
  }
  long Write(const char*, std::size_t count) override {
    ++writes;
    for (char c : {'F', 'A', '\r'}) pending_.push_back(c);
    return static_cast<long>(count);
  }
  void PurgeInput() override { pending_.clear(); }
  void Close() override {}
  bool IsOpen() const override { return true; }

 private:
  std::deque<char> pending_;
};

class SilentUi final : public DownloadUi {
 public:
  bool ChooseImageFile(char*, std::size_t) override { return false; }
  void ShowMessage(const char*, const char*, DownloadBox, BoxOwner) override {}
  bool AskRetry(const char*, const char*) override { return false; }
  void ShowProgress() override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  void LetWindowsPaint() override {}
};

}  // namespace

ImageSummary SummarizeImage(ImageFile& image) {
  ImageSummary summary;
  SummarySink sink(summary);
  SRecordParser parser;
  parser.Reset(SRecordParser::EndAt::kLineEnd);
  char block[4096];
  (void)image.Rewind();
  for (;;) {
    const long got = image.Read(block, sizeof block);
    const ParseStatus status =
        got > 0 ? parser.Feed(block, static_cast<std::size_t>(got), sink) : parser.Finish(sink);
    if (got <= 0 || status != ParseStatus::kMore) break;
  }
  summary.lines = parser.LinesRead();

  AcceptingPort port;
  SteadyClock clock;
  SilentUi ui;
  LineExchange line(port, clock, ui, DownloadTiming{});
  SRecordConverter converter(line, ui);
  if (converter.ConvertAndSendImage(image) == 1) {
    summary.packets = port.writes;
    summary.dataPackets = port.writes - 1;
  }
  (void)image.Rewind();
  return summary;
}

void PrintImageSummary(std::FILE* out, const char* path, const ImageSummary& s) {
  std::fprintf(out, "%s: a sound image\n", path);
  std::fprintf(out, "  lines:        %" PRIu32 " (%" PRIu32 " data records)\n", s.lines,
               s.dataRecords);
  std::fprintf(out, "  data bytes:   %" PRIu64 "\n", s.bytes);
  std::fprintf(out, "  ranges:       %zu\n", s.ranges.size());
  for (const ImageSummary::Range& r : s.ranges) {
    std::fprintf(out, "    0x%08" PRIX32 " .. 0x%08" PRIX64 "  %" PRIu64 " bytes\n", r.first,
                 r.first + r.bytes - 1, r.bytes);
  }
  std::fprintf(out, "  packets:      %d (%d data packets and the end packet)\n", s.packets,
               s.dataPackets);
}

}  // namespace tessaro::cli
