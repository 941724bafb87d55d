#pragma once

#include <cstddef>
#include <vector>

namespace tessaro {

// The program image, read whole when it is opened: what the download checks
// is what it sends, however the file changes on the disk meanwhile.  Only
// regular files open (a directory or a device would never end or never
// come), up to kLargest bytes.  The file is read through one file per
// platform (POSIX descriptors, Win32 handles); everything else works on the
// bytes in memory.  One thread at a time.
class ImageFile {
 public:
  // Far beyond any base's flash written as S-records.
  static constexpr long long kLargest = 64ll * 1024 * 1024;

  // Reads the whole file; false when it cannot be, with Why() saying why.
  bool Open(const char* path);
  // Takes bytes read before (by another ImageFile) as the image.
  void Adopt(std::vector<char> bytes);
  void Close();
  bool IsOpen() const { return open_; }

  // The image's size in bytes; -1 when none is open.
  long long Size() const;
  // Up to `size` bytes from the current position: bytes read, 0 at the end,
  // -1 when none is open.
  long Read(char* buffer, std::size_t size);
  // Back to the first byte.
  bool Rewind();

  const std::vector<char>& Bytes() const { return bytes_; }
  // Why the last Open failed: "not a regular file", the system's reason.
  const char* Why() const { return why_; }

 private:
  // The platform's part: the whole regular file at `path` into `bytes`;
  // false with the reason in `why`.
  static bool ReadWholeFile(const char* path, std::vector<char>& bytes, char* why,
                            std::size_t whySize);

  std::vector<char> bytes_;
  std::size_t position_ = 0;
  bool open_ = false;
  char why_[128] = {};
};

}  // namespace tessaro
