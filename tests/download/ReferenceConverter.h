#pragma once

// The converter as the loader's tidy image files were always converted: the
// file read in 256-byte blocks as character pairs from its first byte,
// nothing checked.  For files of S2/S3 data records, an S7/S9 end, CR LF
// line ends and upper-case digits, the download must put exactly these bytes
// on the line, with the progress steps in the same places.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "SRecordText.h"

namespace tessaro::testing {

// Events: "packet <hex>", "progress <n>", "end", "no end".
inline std::vector<std::string> ReferenceConvert(const std::string& file) {
  enum State { kType, kCount32, kCount24, kAddress, kData, kChecksum, kLineEnd };
  std::vector<std::string> events;
  std::uint8_t packet[1024] = {};
  int length = 0;
  State state = kType;
  int addressLeft = 4;
  int dataLeft = 0;
  std::uint32_t recordAddress = 0;
  std::uint32_t expected = 0;

  auto send = [&](int l) {
    packet[2] = static_cast<std::uint8_t>(l - 2);
    unsigned sum = 0;
    for (int i = 2; i < l; ++i) sum += packet[i];
    packet[l] = static_cast<std::uint8_t>(~sum);
    packet[l + 1] = '\r';
    events.push_back("packet " + Hex(Bytes(packet, packet + l + 2)));
  };
  auto digit = [](char c) {
    const int code = static_cast<unsigned char>(c);
    return code >= 0x41 ? code - 55 : code - 48;
  };

  const std::size_t size = file.size();
  std::size_t read = 0;
  while (read < size) {
    const std::size_t n = std::min<std::size_t>(256, size - read);
    const std::string block = file.substr(read, n);
    read += n;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
      const char low = block[i + 1];
      const int value = (digit(block[i]) * 16 + digit(low)) & 0xFF;
      switch (state) {
        case kType:
          if (low == '7' || low == '9') {
            if (length != 0) send(length);
            events.push_back("end");
            return events;
          }
          if (length == 0) {
            packet[0] = 'S';
            packet[1] = '3';
            length = 3;
          }
          state = low == '2' ? kCount24 : kCount32;
          break;
        case kCount32:
          dataLeft = value - 5;
          addressLeft = 4;
          state = kAddress;
          break;
        case kCount24:
          dataLeft = value - 4;
          addressLeft = 3;
          if (length < 7) packet[length++] = 0;
          state = kAddress;
          break;
        case kAddress:
          recordAddress = recordAddress * 256 + static_cast<std::uint32_t>(value);
          if (length < 7) packet[length++] = static_cast<std::uint8_t>(value);
          if (--addressLeft == 0) {
            state = kData;
            if (length > 7 && expected != 0 && recordAddress != expected) {
              send(length);
              packet[0] = 'S';
              packet[1] = '3';
              for (int k = 0; k < 4; ++k) {
                packet[3 + k] = static_cast<std::uint8_t>(recordAddress >> (24 - 8 * k));
              }
              length = 7;
            }
            expected = recordAddress + static_cast<std::uint32_t>(dataLeft);
            recordAddress = 0;
          }
          break;
        case kData:
          packet[length++] = static_cast<std::uint8_t>(value);
          if (--dataLeft <= 0) state = kChecksum;
          break;
        case kChecksum:
          state = kLineEnd;
          break;
        case kLineEnd:
          state = kType;
          if (length > 100) {
            send(length);
            length = 0;
          }
          break;
      }
    }
    events.push_back("progress " + std::to_string(read * 100 / size));
  }
  events.push_back("no end");
  return events;
}

}  // namespace tessaro::testing
