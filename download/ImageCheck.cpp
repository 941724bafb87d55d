#include "download/ImageCheck.h"

#include <iterator>
#include <map>

#include "download/SRecordParser.h"

namespace tessaro {

namespace {

// Keeps the address runs written so far and stops at the first record that
// writes a byte again: which of two values would end up in the flash depends
// on how the loader erases, so such a file is no program.
class OverlapSink final : public RecordSink {
 public:
  explicit OverlapSink(const SRecordParser& parser) : parser_(parser) {}

  bool OnDataAddress(std::uint32_t address, int dataCount) override {
    if (dataCount == 0) return true;
    const std::uint64_t first = address;
    const std::uint64_t end = first + static_cast<std::uint64_t>(dataCount);
    auto next = runs_.upper_bound(first);
    if (next != runs_.end() && next->first < end) return Overlap(next->first, next->second.line);
    if (next != runs_.begin()) {
      auto before = std::prev(next);
      if (before->second.end > first) return Overlap(address, before->second.line);
      // Consecutive records make one run, so that the map stays small.
      if (before->second.end == first) {
        before->second.end = end;
        return true;
      }
    }
    runs_.emplace(first, Run{end, parser_.LinesRead()});
    return true;
  }
  bool OnDataByte(std::uint8_t) override { return true; }
  bool OnDataRecordEnd() override { return true; }
  void OnEndRecord() override {}

  const FaultDetail& Fault() const { return fault_; }

 private:
  struct Run {
    std::uint64_t end;
    std::uint32_t line;  // where the run began
  };

  bool Overlap(std::uint64_t address, std::uint32_t earlierLine) {
    fault_.fault = ImageFault::kOverlap;
    fault_.line = parser_.LinesRead();
    fault_.address = static_cast<std::uint32_t>(address);
    fault_.actual = static_cast<int>(earlierLine);
    return false;
  }

  const SRecordParser& parser_;
  std::map<std::uint64_t, Run> runs_;
  FaultDetail fault_;
};

FaultDetail Fault(ImageFault fault, std::uint32_t line = 0) {
  FaultDetail detail;
  detail.fault = fault;
  detail.line = line;
  return detail;
}

}  // namespace

FaultDetail CheckImage(ImageFile& image) {
  if (!image.IsOpen() || !image.Rewind()) return Fault(ImageFault::kUnreadable);
  if (image.Size() <= 0) return Fault(ImageFault::kEmpty);

  SRecordParser parser;
  OverlapSink sink(parser);
  parser.Reset(SRecordParser::EndAt::kLineEnd);
  char block[256];
  ParseStatus status = ParseStatus::kMore;
  while (status == ParseStatus::kMore) {
    const long got = image.Read(block, sizeof block);
    if (got < 0) return Fault(ImageFault::kUnreadable);
    if (got == 0) {
      status = parser.Finish(sink);
      break;
    }
    status = parser.Feed(block, static_cast<std::size_t>(got), sink);
  }
  if (!image.Rewind()) return Fault(ImageFault::kUnreadable);
  if (status == ParseStatus::kFault) return parser.Fault();
  if (status == ParseStatus::kStopped) return sink.Fault();
  if (status != ParseStatus::kEnd) return Fault(ImageFault::kNoEndRecord, parser.LinesRead());
  return FaultDetail{};
}

}  // namespace tessaro
