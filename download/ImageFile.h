#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaro {

// The program image file, open for reading while the download holds it.
// Only regular files open: a directory or a device would never end or never
// come.  One file per platform (POSIX descriptors, Win32 handles); each call
// blocks for the disk only.  One thread at a time.
class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile() { Close(); }
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  bool Open(const char* path);
  void Close();
  bool IsOpen() const { return handle_ != kClosed; }

  // The file's size in bytes; -1 when it cannot be had (not open).
  long long Size() const;
  // Up to `size` bytes from the current position: bytes read, 0 at the end,
  // -1 on failure.
  long Read(char* buffer, std::size_t size);
  // Back to the first byte.
  bool Rewind();

 private:
  // The descriptor or handle; -1 is no descriptor and no handle a file has.
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

}  // namespace tessaro
