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
  fd_ = fd;
  return true;
}

void ImageFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

long long ImageFile::Size() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
  return static_cast<long long>(info.st_size);
}

long ImageFile::Read(char* buffer, std::size_t size) {
  if (fd_ < 0) return -1;
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) return static_cast<long>(got);
    if (errno != EINTR) return -1;
  }
}

bool ImageFile::Rewind() {
  return fd_ >= 0 && ::lseek(fd_, 0, SEEK_SET) == 0;
}

}  // namespace tessaro
