#pragma once

#include <cstddef>

namespace tessaro {

// Where outbound commands go.  Writes are fire-and-forget: the result is not
// reported, a write to a closed port goes nowhere.  Callers hold the engine
// lock, so commands never interleave on the line.
class PortWriter {
 public:
  virtual ~PortWriter() = default;
  virtual void Write(const char* bytes, std::size_t count) = 0;
};

}  // namespace tessaro
