#include "download/ImageCheck.h"

#include "download/SRecordParser.h"

namespace tessaro {

namespace {

class IgnoringSink final : public RecordSink {
 public:
  bool OnDataAddress(std::uint32_t, int) override { return true; }
  bool OnDataByte(std::uint8_t) override { return true; }
  bool OnDataRecordEnd() override { return true; }
  void OnEndRecord() override {}
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

  IgnoringSink sink;
  SRecordParser parser;
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
  if (status != ParseStatus::kEnd) return Fault(ImageFault::kNoEndRecord, parser.LinesRead());
  return FaultDetail{};
}

}  // namespace tessaro
