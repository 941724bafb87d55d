#pragma once

#include <fcntl.h>
#include <unistd.h>

namespace tessaro {

// The pipe a reader's poll() watches beside its port, so that another thread
// can wake it: both ends non-blocking and closed on exec.  false, with both
// ends left as they were, when the system gives none.
inline bool OpenWakePipe(int& readEnd, int& writeEnd) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  for (const int fd : fds) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
      close(fds[0]);
      close(fds[1]);
      return false;
    }
  }
  readEnd = fds[0];
  writeEnd = fds[1];
  return true;
}

}  // namespace tessaro
