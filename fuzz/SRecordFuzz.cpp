// Image files through the S-record parser, in both of its end modes and in
// chunks of every size the first byte picks, with the fault text formatted.
// A parse must end in a verdict without reading or writing out of bounds.

#include <cstddef>
#include <cstdint>

#include "download/ImageFault.h"
#include "download/SRecordParser.h"

namespace {

class CountingSink final : public tessaro::RecordSink {
 public:
  bool OnDataAddress(std::uint32_t address, int dataCount) override {
    last_ = address;
    return dataCount >= 0;
  }
  bool OnDataByte(std::uint8_t value) override {
    sum_ += value;
    return true;
  }
  bool OnDataRecordEnd() override { return ++records_ < 100000; }
  void OnEndRecord() override { ++ends_; }

 private:
  std::uint32_t last_ = 0;
  unsigned sum_ = 0;
  int records_ = 0;
  int ends_ = 0;
};

void Parse(const char* text, std::size_t size, std::size_t chunk,
           tessaro::SRecordParser::EndAt endAt) {
  tessaro::SRecordParser parser;
  CountingSink sink;
  parser.Reset(endAt);
  tessaro::ParseStatus status = tessaro::ParseStatus::kMore;
  for (std::size_t at = 0; at < size && status == tessaro::ParseStatus::kMore; at += chunk) {
    const std::size_t n = size - at < chunk ? size - at : chunk;
    status = parser.Feed(text + at, n, sink);
  }
  if (status == tessaro::ParseStatus::kMore) status = parser.Finish(sink);
  char message[256];
  tessaro::FormatImageFault(parser.Fault(), true, message, sizeof message);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t chunk = 1 + data[0] % 64;
  const char* text = reinterpret_cast<const char*>(data + 1);
  Parse(text, size - 1, chunk, tessaro::SRecordParser::EndAt::kTypeDigit);
  Parse(text, size - 1, size, tessaro::SRecordParser::EndAt::kLineEnd);
  return 0;
}
