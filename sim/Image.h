#pragma once

// A program image as the loader received it: the start address of each
// contiguous run of bytes -> those bytes.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tessaro::sim {

using Image = std::map<std::uint32_t, std::vector<std::uint8_t>>;

// Puts the bytes at the address, over anything already there, and joins runs
// that touch or overlap.
void WriteToImage(Image& image, std::uint32_t address, const std::uint8_t* bytes,
                  std::size_t count);

// Raw bytes from the lowest address to the highest, gaps filled with 0xFF.
// false with a reason when the file cannot be written or the span is absurd.
bool SaveImageBinary(const Image& image, const std::string& path, std::string* error);
// Motorola S-records: S3 data records of 16 bytes, then S7, upper-case hex, CR LF.
bool SaveImageSRecord(const Image& image, const std::string& path, std::string* error);
// The S-record text itself.
std::string FormatImageSRecord(const Image& image);

}  // namespace tessaro::sim
