#pragma once

#include <cstddef>

namespace tessaro {

// The link test's own 320-byte line: test packets, the expected echo, the
// PASSIVE echo and the copy of the last PASSIVE message are built in it.
class TestPacketBuffer {
 public:
  static constexpr std::size_t kSize = 320;
  static constexpr int kMaxDataLength = 300;

  // "@DT" tt ssss payload "\r": dataLength + 5 characters, 10 when the data
  // length is 5 or less.  dataLength is held to 0..300.  Returns the length.
  std::size_t BuildPacket(int terminal, int sequence, int dataLength);

  // The data an echo must carry: "%04d" sequence and the payload.  Returns
  // the length.
  std::size_t BuildExpectedData(int sequence, int dataLength);

  // Copies `length` bytes (held to the buffer) and a terminating zero.
  std::size_t Store(const char* text, std::size_t length);

  const char* Data() const { return buffer_; }
  char* Text() { return buffer_; }

 private:
  char buffer_[kSize] = {};
};

// Payload character i: "0".."9", "A".."Z", repeating every 36 characters.
inline char PayloadChar(int i) {
  const int r = i % 36;
  return static_cast<char>(r < 10 ? '0' + r : 'A' + (r - 10));
}

// Payload length for a data length: L - 5 when L is above 5, else none.
inline int PayloadLength(int dataLength) {
  if (dataLength > TestPacketBuffer::kMaxDataLength) dataLength = TestPacketBuffer::kMaxDataLength;
  return dataLength > 5 ? dataLength - 5 : 0;
}

}  // namespace tessaro
