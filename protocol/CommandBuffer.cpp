#include "protocol/CommandBuffer.h"

#include <cstring>

#include "protocol/Digits.h"

namespace tessaro {

namespace {

// Base numbers travel as two digits; anything outside 0..99 would garble the
// field, so it is held to it.
int TwoDigitField(int n) {
  if (n < 0) return 0;
  if (n > 99) return 99;
  return n;
}

}  // namespace

std::size_t CommandBuffer::BuildBaseCommand(const char* prefix, int base, const char* tail,
                                            std::size_t tailLen) {
  std::memcpy(buffer_, prefix, 3);
  EncodeTwoDigits(TwoDigitField(base), buffer_ + 3);
  if (tailLen > 0) std::memcpy(buffer_ + 5, tail, tailLen);
  buffer_[5 + tailLen] = '\r';
  buffer_[6 + tailLen] = '\0';
  return 6 + tailLen;
}

std::size_t CommandBuffer::BuildProperty(const char* code, int base, char value) {
  const char prefix[3] = {'@', code[0], code[1]};
  return BuildBaseCommand(prefix, base, &value, 1);
}

std::size_t CommandBuffer::BuildTimeout(int base, int seconds) {
  char digits[2];
  EncodeTwoDigits(TwoDigitField(seconds), digits);
  return BuildBaseCommand("@TO", base, digits, 2);
}

std::size_t CommandBuffer::BuildChangeId(int oldBase, int newBase) {
  char digits[2];
  EncodeTwoDigits(TwoDigitField(newBase), digits);
  return BuildBaseCommand("@ID", oldBase, digits, 2);
}

std::size_t CommandBuffer::BuildSpeed(const char* rateText) {
  std::size_t len = std::strlen(rateText);
  if (len > kSize - 5) len = kSize - 5;
  std::memcpy(buffer_, "@SP", 3);
  std::memcpy(buffer_ + 3, rateText, len);
  buffer_[3 + len] = '\r';
  buffer_[4 + len] = '\0';
  return 4 + len;
}

std::size_t CommandBuffer::BuildTerminalQuery(int base) {
  return BuildBaseCommand("@TM", base, nullptr, 0);
}

std::size_t CommandBuffer::BuildUpdate(int base) {
  return BuildBaseCommand("@UP", base, nullptr, 0);
}

void CommandBuffer::SendProperty(PortWriter& port, const char* code, int base, char value) {
  port.Write(buffer_, BuildProperty(code, base, value));
}
void CommandBuffer::SendTimeout(PortWriter& port, int base, int seconds) {
  port.Write(buffer_, BuildTimeout(base, seconds));
}
void CommandBuffer::SendChangeId(PortWriter& port, int oldBase, int newBase) {
  port.Write(buffer_, BuildChangeId(oldBase, newBase));
}
void CommandBuffer::SendSpeed(PortWriter& port, const char* rateText) {
  port.Write(buffer_, BuildSpeed(rateText));
}
void CommandBuffer::SendTerminalQuery(PortWriter& port, int base) {
  port.Write(buffer_, BuildTerminalQuery(base));
}
void CommandBuffer::SendUpdate(PortWriter& port, int base) {
  port.Write(buffer_, BuildUpdate(base));
}

}  // namespace tessaro
