#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaro {

// One download packet as it goes on the line: "S", "3" (or "7" for the end
// packet), a length byte, a four-byte address (most significant first), the
// data bytes, a checksum and CR.  The "packet length" is the number of bytes
// from "S" through the last data byte.
struct PacketBuffer {
  static constexpr std::size_t kSize = 260;
  // The length byte (packet length - 2) holds at most 255.
  static constexpr int kMaxLength = 257;
  static constexpr int kHeaderLength = 7;  // "S", type, length byte, address

  std::uint8_t bytes[kSize] = {};

  // Opens a data packet at `address`; returns the packet length so far.
  int Open(std::uint32_t address) {
    bytes[0] = 'S';
    bytes[1] = '3';
    bytes[3] = static_cast<std::uint8_t>(address >> 24);
    bytes[4] = static_cast<std::uint8_t>(address >> 16);
    bytes[5] = static_cast<std::uint8_t>(address >> 8);
    bytes[6] = static_cast<std::uint8_t>(address);
    return kHeaderLength;
  }

  // Fills in the length byte, the checksum (ones' complement of the low
  // byte of the sum from the length byte through the last data byte) and
  // the CR.  Returns the number of bytes on the line: length + 2.
  int Complete(int length) {
    bytes[2] = static_cast<std::uint8_t>(length - 2);
    unsigned sum = 0;
    for (int i = 2; i < length; ++i) sum += bytes[i];
    bytes[length] = static_cast<std::uint8_t>(~sum);
    bytes[length + 1] = '\r';
    return length + 2;
  }
};

// The fixed end packet: type "7", address 0, no data.
inline constexpr std::uint8_t kEndPacket[9] = {'S', '7', 0x05, 0x00, 0x00, 0x00, 0x00, 0xFA, '\r'};

}  // namespace tessaro
