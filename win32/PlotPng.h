#pragma once

#include <string>

namespace tessaro {

// Writes a picture of 24-bit BGR pixels, top row first, rows `stride` bytes
// apart, as a PNG file through the system's image codecs.  Written beside
// `path` and renamed over it, so that a failure leaves an earlier file whole.
// An empty text, or why it could not be written.
std::string WritePng(const std::string& path, int width, int height, int stride,
                     const unsigned char* pixels);

}  // namespace tessaro
