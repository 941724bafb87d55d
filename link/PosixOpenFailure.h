#pragma once

#include "link/OpenFailure.h"

namespace tessaro {

// Fills `failure` for an open of `path` that failed with `error` (an errno
// value): the system's text and a hint for the usual cases (no permission,
// not in the device's group, held by another program, named from /proc when
// it can be read, no such device, not a terminal, a directory).
void DescribeOpenFailure(const char* path, int error, OpenFailure& failure);

// "process 1234 (minicom)" for the first process other than `self` that has
// `path` open, found through `procRoot` (/proc); empty when none can be seen.
// Processes of other users stay hidden to an unprivileged caller.
void FindHolder(const char* path, const char* procRoot, int self, char* out, std::size_t size);

}  // namespace tessaro
