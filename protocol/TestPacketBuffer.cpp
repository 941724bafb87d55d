#include "protocol/TestPacketBuffer.h"

#include <cstring>

#include "protocol/Digits.h"

namespace tessaro {

namespace {

// Writes sequence 0..9999 as four digits.
void EncodeSequence(int sequence, char* out) {
  if (sequence < 0) sequence = 0;
  sequence %= 10000;
  out[0] = static_cast<char>('0' + sequence / 1000);
  out[1] = static_cast<char>('0' + (sequence / 100) % 10);
  out[2] = static_cast<char>('0' + (sequence / 10) % 10);
  out[3] = static_cast<char>('0' + sequence % 10);
}

std::size_t AppendPayload(char* out, int dataLength) {
  const int count = PayloadLength(dataLength);
  for (int i = 0; i < count; ++i) out[i] = PayloadChar(i);
  return static_cast<std::size_t>(count);
}

}  // namespace

std::size_t TestPacketBuffer::BuildPacket(int terminal, int sequence, int dataLength) {
  std::memcpy(buffer_, "@DT", 3);
  EncodeTwoDigits(terminal < 0 ? 0 : terminal % 100, buffer_ + 3);
  EncodeSequence(sequence, buffer_ + 5);
  std::size_t n = 9 + AppendPayload(buffer_ + 9, dataLength);
  buffer_[n++] = '\r';
  buffer_[n] = '\0';
  return n;
}

std::size_t TestPacketBuffer::BuildExpectedData(int sequence, int dataLength) {
  EncodeSequence(sequence, buffer_);
  std::size_t n = 4 + AppendPayload(buffer_ + 4, dataLength);
  buffer_[n] = '\0';
  return n;
}

std::size_t TestPacketBuffer::Store(const char* text, std::size_t length) {
  if (length > kSize - 1) length = kSize - 1;
  std::memmove(buffer_, text, length);
  buffer_[length] = '\0';
  return length;
}

}  // namespace tessaro
