#pragma once

namespace tessaro {

// Raises the calling thread to the highest priority the platform grants this
// process without privileges.  Refusals leave the priority as it is.
void RaiseCurrentThreadPriority();

}  // namespace tessaro
