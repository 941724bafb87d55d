#include "download/SRecordConverter.h"

#include <algorithm>

#include "download/DownloadTexts.h"
#include "download/ImageFault.h"

namespace tessaro {

namespace {

// A packet goes out at the end of the record that takes it past this length.
constexpr int kSendAbove = 100;
constexpr std::size_t kBlockSize = 256;

}  // namespace

int SRecordConverter::ConvertAndSendImage(ImageFile& image) {
  length_ = 0;
  expected_ = 0;
  hasExpected_ = false;
  next_ = 0;
  skipRecord_ = false;
  result_ = 0;
  parser_.Reset(SRecordParser::EndAt::kTypeDigit);

  const long long size = image.Size();
  if (size <= 0 || !image.Rewind()) {
    Report(download_text::kDownloadError);
    return 0;
  }
  char text[512];
  char block[kBlockSize];
  long long read = 0;
  while (read < size) {
    const auto want = static_cast<std::size_t>(std::min<long long>(kBlockSize, size - read));
    const long got = image.Read(block, want);
    if (got <= 0) {
      // The file shrank or failed under the download.
      FaultDetail unreadable;
      unreadable.fault = ImageFault::kUnreadable;
      FormatImageFault(unreadable, false, text, sizeof text);
      Report(text);
      return 0;
    }
    read += got;
    const ParseStatus status = parser_.Feed(block, static_cast<std::size_t>(got), *this);
    if (status == ParseStatus::kEnd) return result_;
    if (status == ParseStatus::kStopped) return 0;
    if (status == ParseStatus::kFault) {
      // Only a file changed since its check gets here.
      FormatImageFault(parser_.Fault(), false, text, sizeof text);
      Report(text);
      return 0;
    }
    ui_.SetProgress(static_cast<int>(read * 100 / size));
    ui_.LetWindowsPaint();
  }
  // No end record: a packet still open is dropped.
  Report(download_text::kDownloadError);
  return 0;
}

bool SRecordConverter::OnDataAddress(std::uint32_t address, int dataCount) {
  // A record without data changes nothing on the base.
  skipRecord_ = dataCount == 0;
  if (skipRecord_) return true;
  if (length_ > PacketBuffer::kHeaderLength) {
    const bool runsOn = hasExpected_ && address == expected_;
    if (!runsOn || length_ + dataCount > PacketBuffer::kMaxLength) {
      if (!SendOpenPacket()) return false;
      length_ = line_.Packet().Open(address);
    }
  } else {
    length_ = line_.Packet().Open(address);
  }
  next_ = address;
  const std::uint64_t end = std::uint64_t{address} + static_cast<std::uint64_t>(dataCount);
  // A record that reaches the top of the address space leaves nothing to run on to.
  hasExpected_ = end <= 0xFFFFFFFFu;
  expected_ = static_cast<std::uint32_t>(end);
  return true;
}

bool SRecordConverter::OnDataByte(std::uint8_t value) {
  // Only a record longer than a whole packet gets here with the packet full.
  if (length_ >= PacketBuffer::kMaxLength) {
    if (!SendOpenPacket()) return false;
    length_ = line_.Packet().Open(next_);
  }
  line_.Packet().bytes[length_++] = value;
  ++next_;
  return true;
}

bool SRecordConverter::OnDataRecordEnd() {
  if (length_ > kSendAbove) {
    if (!SendOpenPacket()) return false;
    length_ = 0;
  }
  return true;
}

void SRecordConverter::OnEndRecord() {
  if (length_ != 0 && !SendOpenPacket()) {
    result_ = 0;
    return;
  }
  line_.SendEndPacket();
  result_ = 1;
}

bool SRecordConverter::SendOpenPacket() {
  // The packet before this one has been answered: a good place to stop.
  if (ui_.StopRequested()) {
    Report(download_text::kInterrupted);
    return false;
  }
  return line_.SendPacket(length_) == 1;
}

void SRecordConverter::Report(const char* text) {
  ui_.ShowMessage(text, download_text::kCaption, DownloadBox::kWarning, BoxOwner::kView);
}

}  // namespace tessaro
