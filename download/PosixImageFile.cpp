#include "download/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tessaro {

bool ImageFile::Open(const char* path) {
  Close();
  if (path == nullptr || path[0] == '\0') return false;
  // Non-blocking so that a FIFO cannot hold the open; it is refused below.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void ImageFile::Close() {
  if (IsOpen()) ::close(static_cast<int>(handle_));
  handle_ = kClosed;
}

long long ImageFile::Size() const {
  struct stat info {};
  if (!IsOpen() || ::fstat(static_cast<int>(handle_), &info) != 0) return -1;
  return static_cast<long long>(info.st_size);
}

long ImageFile::Read(char* buffer, std::size_t size) {
  if (!IsOpen()) return -1;
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buffer, size);
    if (got >= 0) return static_cast<long>(got);
    if (errno != EINTR) return -1;
  }
}

bool ImageFile::Rewind() {
  return IsOpen() && ::lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0;
}

}  // namespace tessaro
