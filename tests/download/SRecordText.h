#pragma once

// Building S-record text and reading packets back, for the download tests.

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::string Hex(const Bytes& bytes, bool lower = false) {
  static constexpr char kUpper[] = "0123456789ABCDEF";
  static constexpr char kLower[] = "0123456789abcdef";
  const char* digits = lower ? kLower : kUpper;
  std::string text;
  for (auto b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

inline std::string Hex(const std::string& bytes) {
  return Hex(Bytes(bytes.begin(), bytes.end()));
}

inline int AddressSize(char type) {
  switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
      return 2;
    case '2':
    case '6':
    case '8':
      return 3;
    default:
      return 4;
  }
}

struct RecordOptions {
  const char* lineEnd = "\r\n";
  bool lower = false;
  int checksumDelta = 0;  // added to the right checksum
  int countDelta = 0;     // added to the right count
};

// One S-record line of the given type with its count and checksum.
inline std::string Record(char type, std::uint32_t address, const Bytes& data,
                          const RecordOptions& options = {}) {
  const int size = AddressSize(type);
  Bytes body;
  body.push_back(static_cast<std::uint8_t>(size + data.size() + 1 + options.countDelta));
  for (int i = size - 1; i >= 0; --i) body.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
  body.insert(body.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (auto b : body) sum += b;
  body.push_back(static_cast<std::uint8_t>(~sum + options.checksumDelta));
  return std::string("S") + type + Hex(body, options.lower) + options.lineEnd;
}

inline Bytes Sequence(std::size_t count, std::uint8_t first = 0) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

// A download packet as it goes on the line.
inline std::string Packet(std::uint32_t address, const Bytes& data) {
  std::string p = "S3";
  p += static_cast<char>(data.size() + 5);
  for (int i = 3; i >= 0; --i) p += static_cast<char>(address >> (8 * i));
  p.append(data.begin(), data.end());
  unsigned sum = 0;
  for (std::size_t i = 2; i < p.size(); ++i) sum += static_cast<std::uint8_t>(p[i]);
  p += static_cast<char>(~sum);
  p += '\r';
  return p;
}

inline const std::string& EndPacket() {
  static const std::string end("S7\x05\x00\x00\x00\x00\xFA\r", 9);
  return end;
}

}  // namespace tessaro::testing
