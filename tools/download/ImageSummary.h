#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "download/ImageFile.h"

namespace tessaro::cli {

// What a sound image holds, as --check prints it.
struct ImageSummary {
  struct Range {
    std::uint32_t first = 0;
    std::uint64_t bytes = 0;  // the range ends before first + bytes
  };
  std::uint32_t lines = 0;        // lines read up to and including the end record
  std::uint32_t dataRecords = 0;  // S1, S2 and S3 records with data
  std::uint64_t bytes = 0;        // data bytes
  std::vector<Range> ranges;      // runs of consecutive addresses, in file order
  int dataPackets = 0;            // packets the download sends for them
  int packets = 0;                // ... with the end packet
};

// Reads the open, checked image and works out what it holds; the packets are
// counted by running the download's own converter against a loader that
// accepts everything.  The file is left at its first byte.
ImageSummary SummarizeImage(ImageFile& image);

void PrintImageSummary(std::FILE* out, const char* path, const ImageSummary& summary);

}  // namespace tessaro::cli
