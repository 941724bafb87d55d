#pragma once

namespace tessaro::bench {

// How many times operator new ran in this program so far.
long AllocationCount();

}  // namespace tessaro::bench
