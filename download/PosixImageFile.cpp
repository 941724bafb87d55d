#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "download/ImageFile.h"

namespace tessaro {

bool ImageFile::ReadWholeFile(const char* path, std::vector<char>& bytes, char* why,
                              std::size_t whySize) {
  // Non-blocking so that a FIFO cannot hold the open; it is refused below.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    std::snprintf(why, whySize, "%s", std::strerror(errno));
    return false;
  }
  struct stat info {};
  bool ok = false;
  if (::fstat(fd, &info) != 0) {
    std::snprintf(why, whySize, "%s", std::strerror(errno));
  } else if (!S_ISREG(info.st_mode)) {
    std::snprintf(why, whySize, "not a regular file");
  } else if (info.st_size > kLargest) {
    std::snprintf(why, whySize, "larger than %lld MiB, no program image", kLargest >> 20);
  } else {
    // Read to the end, not to the size taken above: a file that grows or
    // shrinks meanwhile is taken as it was when the reading ended.
    bytes.clear();
    char block[65536];
    ok = true;
    for (;;) {
      const ssize_t got = ::read(fd, block, sizeof block);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        std::snprintf(why, whySize, "%s", std::strerror(errno));
        ok = false;
        break;
      }
      if (static_cast<long long>(bytes.size()) + got > kLargest) {
        std::snprintf(why, whySize, "larger than %lld MiB, no program image", kLargest >> 20);
        ok = false;
        break;
      }
      bytes.insert(bytes.end(), block, block + got);
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace tessaro
