#include "download/ImageFault.h"

#include <cstdio>

#include "download/DownloadTexts.h"

namespace tessaro {

namespace {

// A character as the operator can read it, printable or not.
void DescribeCharacter(unsigned char c, char* out, std::size_t size) {
  if (c == ' ') {
    std::snprintf(out, size, "a space");
  } else if (c == '\t') {
    std::snprintf(out, size, "a tab");
  } else if (c >= 0x21 && c <= 0x7E) {
    std::snprintf(out, size, "'%c'", c);
  } else {
    std::snprintf(out, size, "the byte 0x%02X", c);
  }
}

// The sentence that says what is wrong with the file and where.
void DescribeFault(const FaultDetail& f, char* what, std::size_t size) {
  char c[24] = {};
  DescribeCharacter(f.character, c, sizeof c);
  switch (f.fault) {
    case ImageFault::kNone:
      break;
    case ImageFault::kEmpty:
      std::snprintf(what, size, "The image file is empty.");
      break;
    case ImageFault::kUnreadable:
      std::snprintf(what, size, "The image file can not be read.");
      break;
    case ImageFault::kNoRecordStart:
      std::snprintf(what, size, "Line %u: the line starts with %s, not with an S record.", f.line,
                    c);
      break;
    case ImageFault::kBadType:
      std::snprintf(what, size, "Line %u: %s is not an S-record type.", f.line, c);
      break;
    case ImageFault::kNotHex:
      std::snprintf(what, size, "Line %u, column %u: %s is not a hexadecimal digit.", f.line,
                    f.column, c);
      break;
    case ImageFault::kOddDigits:
      std::snprintf(what, size, "Line %u: the line has an odd number of hexadecimal digits.",
                    f.line);
      break;
    case ImageFault::kNoCount:
      std::snprintf(what, size, "Line %u: the record has no count byte.", f.line);
      break;
    case ImageFault::kCountTooSmall:
      std::snprintf(what, size,
                    "Line %u: the count byte %02X is too small for the record's address and "
                    "checksum.",
                    f.line, f.stated);
      break;
    case ImageFault::kCountMismatch:
      std::snprintf(what, size,
                    "Line %u: the count byte says %d bytes follow, but the line holds %d.", f.line,
                    f.stated, f.actual);
      break;
    case ImageFault::kBadChecksum:
      std::snprintf(what, size,
                    "Line %u: the record checksum is wrong (the line has %02X, the record needs "
                    "%02X).",
                    f.line, f.stated, f.actual);
      break;
    case ImageFault::kAddressOverflow:
      std::snprintf(what, size,
                    "Line %u: the data run past the highest address of the record type.", f.line);
      break;
    case ImageFault::kStrayReturn:
      std::snprintf(what, size, "Line %u, column %u: a CR is not followed by LF.", f.line,
                    f.column);
      break;
    case ImageFault::kNoEndRecord:
      std::snprintf(what, size, "The file ends after line %u without an end record (S7, S8 or S9).",
                    f.line);
      break;
    case ImageFault::kDataAfterEnd:
      std::snprintf(what, size,
                    "Line %u: %s after the end record of line %u (two files run together?).",
                    f.line, c, f.actual);
      break;
    case ImageFault::kRecordCountMismatch:
      std::snprintf(what, size,
                    "Line %u: the count record says %d data records, but %d come before it.",
                    f.line, f.stated, f.actual);
      break;
    case ImageFault::kOverlap:
      std::snprintf(what, size,
                    "Line %u: the record writes address 0x%08X again, which line %u wrote "
                    "already.",
                    f.line, static_cast<unsigned>(f.address), f.actual);
      break;
  }
}

}  // namespace

void FormatImageFault(const FaultDetail& f, bool beforeHandshake, char* out, std::size_t size) {
  char what[160] = {};
  DescribeFault(f, what, sizeof what);
  std::snprintf(out, size, "%s\n%s%s%s", download_text::kDownloadError, what,
                beforeHandshake ? "\n" : "",
                beforeHandshake ? download_text::kNoProgramDataSent : "");
}

}  // namespace tessaro
