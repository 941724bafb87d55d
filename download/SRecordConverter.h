#pragma once

#include <cstdint>

#include "download/DownloadUi.h"
#include "download/ImageFile.h"
#include "download/LineExchange.h"
#include "download/SRecordParser.h"

namespace tessaro {

// Turns the image's data records into download packets and sends each
// through the line exchange as soon as it is complete.  Records whose
// addresses run on share a packet; a packet goes out at the end of the
// record that takes it past 100 bytes, before a record that does not run on
// or would not fit, and before the fixed end packet.
class SRecordConverter final : private RecordSink {
 public:
  SRecordConverter(LineExchange& line, DownloadUi& ui) : line_(line), ui_(ui) {}

  // Reads the open image in blocks of 256 bytes from its first byte, moving
  // the progress bar by the share of the file read after each block.  1 when
  // the end packet has gone out; 0 after the failure was reported.
  int ConvertAndSendImage(ImageFile& image);

 private:
  bool OnDataAddress(std::uint32_t address, int dataCount) override;
  bool OnDataByte(std::uint8_t value) override;
  bool OnDataRecordEnd() override;
  void OnEndRecord() override;

  bool SendOpenPacket();
  void Report(const char* text);

  LineExchange& line_;
  DownloadUi& ui_;
  SRecordParser parser_;
  int length_ = 0;  // bytes in the packet buffer; 0: no packet open
  std::uint32_t expected_ = 0;
  bool hasExpected_ = false;  // false also after a record that ends the address space
  std::uint32_t next_ = 0;    // address of the next data byte
  bool skipRecord_ = false;
  int result_ = 0;
};

}  // namespace tessaro
