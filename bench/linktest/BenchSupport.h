#pragma once

// Shared by the link test's benchmarks: a display that shows nothing, a
// pseudo-terminal far end, and percentiles.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/NullDisplay.h"

namespace tessaro::bench {

// Shows nothing; keeps whether the supervision timer should run.
class BenchDisplay final : public NullDisplay {
 public:
  void SetSupervisionTimer(bool running) override { timerRunning = running; }
  bool timerRunning = false;  // written and read on the bench's own thread
};

// The master side of a new pseudo-terminal: the bench plays the base on it.
class FarEnd {
 public:
  FarEnd() {
    fd_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd_ >= 0 && grantpt(fd_) == 0 && unlockpt(fd_) == 0) slave_ = ptsname(fd_);
  }
  ~FarEnd() {
    if (fd_ >= 0) close(fd_);
  }
  FarEnd(const FarEnd&) = delete;
  FarEnd& operator=(const FarEnd&) = delete;

  bool Ok() const { return !slave_.empty(); }
  const std::string& SlavePath() const { return slave_; }

  bool Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  // Waits up to timeoutMs for bytes and appends what came; false on time-out.
  bool ReadSome(std::string& into, int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN)) return false;
    char buffer[4096];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  // Takes complete "\r"-ended messages off the front of `pending`.
  static bool NextMessage(std::string& pending, std::string& message) {
    const std::size_t end = pending.find('\r');
    if (end == std::string::npos) return false;
    message = pending.substr(0, end + 1);
    pending.erase(0, end + 1);
    return true;
  }

 private:
  int fd_ = -1;
  std::string slave_;
};

inline double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t at =
      std::min(values.size() - 1, static_cast<std::size_t>(p / 100.0 * values.size()));
  return values[at];
}

}  // namespace tessaro::bench
