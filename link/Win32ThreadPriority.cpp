#include <windows.h>

#include "link/ThreadPriority.h"

namespace tessaro {

// HIGHEST keeps the reader in the process's own, time-shared range above the
// window thread; TIME_CRITICAL would let an input flood starve the window.
void RaiseCurrentThreadPriority() {
  (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

}  // namespace tessaro
