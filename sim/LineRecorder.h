#pragma once

// The simulator's side of the line as a trace (docs/traces.md): every chunk
// read from and written to the line, the PC's opens and hang-ups, and the
// line's speed.  Used under the simulator's lock; the lines go to a buffered
// file, flushed at each hang-up and at the end.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace tessaro::sim {

class LineRecorder {
 public:
  // Writes into `file`, whose header is written already; does not close it.
  explicit LineRecorder(std::FILE* file);

  void Opened(const std::string& path);  // a PC holds the line (a device: from the start)
  void Read(const char* bytes, std::size_t count);
  void Wrote(const char* bytes, std::size_t count);
  void Speed(int baud);  // recorded when it differs from the last one (and after each open)
  void HungUp();
  void Closed();  // the simulator stopped

 private:
  void Record(const char* event, const std::string& rest);

  std::FILE* file_;
  std::chrono::steady_clock::time_point start_;
  int speed_ = -1;
};

}  // namespace tessaro::sim
