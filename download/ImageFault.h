#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaro {

// Why an image file is refused before anything is sent.
enum class ImageFault : std::uint8_t {
  kNone,
  kEmpty,                // the file has no bytes
  kUnreadable,           // it cannot be read (or shrank while being read)
  kNoRecordStart,        // a line that does not begin with "S"
  kBadType,              // "S" followed by no record type, or by "4"
  kNotHex,               // a character that is not a hexadecimal digit
  kOddDigits,            // a line ending after half a byte
  kNoCount,              // a record without its count byte
  kCountTooSmall,        // the count leaves no room for the address and checksum
  kCountMismatch,        // the count byte disagrees with the bytes on the line
  kBadChecksum,          // the record checksum is wrong
  kAddressOverflow,      // the data run past the highest address of the record type
  kStrayReturn,          // a CR that is not followed by LF
  kNoEndRecord,          // the file ends without an S7, S8 or S9 record
  kDataAfterEnd,         // more than blank lines after the end record
  kRecordCountMismatch,  // an S5/S6 record disagrees with the data records before it
  kOverlap,              // a record writes bytes that an earlier record wrote
};

// A fault with where it was found.
struct FaultDetail {
  ImageFault fault = ImageFault::kNone;
  std::uint32_t line = 0;    // 1-based; for kNoEndRecord the last line of the file
  std::uint32_t column = 0;  // 1-based, for faults of one character
  unsigned char character = 0;
  // What the line says (its count byte, its checksum, an S5's count) and
  // what it holds (bytes after the count, the checksum it needs, the data
  // records before it); for kDataAfterEnd and kOverlap `actual` is the
  // earlier line concerned.
  int stated = 0;
  int actual = 0;
  std::uint32_t address = 0;  // kOverlap: the first address written twice
};

// The message box text for a refused image: "Error on downloading!", then
// the line and the fault, and, when the file was refused before the
// handshake, that no program data went out (the base has had its "@UP" and
// may be waiting in update mode).
void FormatImageFault(const FaultDetail& fault, bool beforeHandshake, char* out, std::size_t size);

}  // namespace tessaro
