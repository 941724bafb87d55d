#pragma once

#include <cstddef>

namespace tessaro {

// The program image file, open for reading while the download holds it.
// Only regular files open: a directory or a device would never end or never
// come.
class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile() { Close(); }
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  bool Open(const char* path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // The file's size in bytes; -1 when it cannot be had (not open).
  long long Size() const;
  // Up to `size` bytes from the current position: bytes read, 0 at the end,
  // -1 on failure.
  long Read(char* buffer, std::size_t size);
  // Back to the first byte.
  bool Rewind();

 private:
  int fd_ = -1;
};

}  // namespace tessaro
