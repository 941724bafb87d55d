#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include "link/ThreadPriority.h"

namespace tessaro {

// The reader is meant to run above the window thread but in the same,
// time-shared class: a real-time class would let an input flood starve the
// window on a small machine.  So only the nice value is lowered, and only as
// far as RLIMIT_NICE lets an unprivileged process go (20 - limit); the
// capabilities of a root process are deliberately not used.  Linux keeps a
// nice value per thread; elsewhere this sets the whole process, which is
// still the most the platform grants.
void RaiseCurrentThreadPriority() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 40) limit.rlim_cur = 40;
  const int lowestNice = 20 - static_cast<int>(limit.rlim_cur);
#if defined(__linux__)
  const id_t self = static_cast<id_t>(gettid());
#else
  const id_t self = 0;
#endif
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, self);
  if (errno != 0 || lowestNice >= current) return;
  (void)setpriority(PRIO_PROCESS, self, lowestNice);
}

}  // namespace tessaro
