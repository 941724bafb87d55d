#pragma once

// A pseudo-terminal for tests of the serial link: the test plays the far end
// on the master side; the code under test opens the slave path like a serial
// device.  Header-only.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <thread>

namespace tessaro::testing {

class PtyPair {
 public:
  // `rawSlave` puts the slave side in raw mode without echo at once, as a
  // device would be; false leaves it cooked, as a fresh pty starts.
  explicit PtyPair(bool rawSlave = true) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      CloseMaster();
      return;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
      CloseMaster();
      return;
    }
    slavePath_ = name;
    if (rawSlave) {
      const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (slave < 0) {
        CloseMaster();
        return;
      }
      termios t{};
      tcgetattr(slave, &t);
      cfmakeraw(&t);
      tcsetattr(slave, TCSANOW, &t);
      close(slave);
    }
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0; }
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // The far end goes away: the slave side hangs up.
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

  // Writes all of `bytes` to the master; false if that took longer than
  // `timeoutMs` (nobody reading the slave).
  bool WriteAll(std::string_view bytes, int timeoutMs = 10000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
      const ssize_t n = write(master_, bytes.data(), bytes.size());
      if (n > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (Clock::now() >= deadline) return false;
      WaitFor(POLLOUT, 10);
    }
    return true;
  }

  // What has arrived at the master from the slave, waiting up to `timeoutMs`
  // for at least `atLeast` bytes.
  std::string Read(std::size_t atLeast, int timeoutMs = 10000) {
    std::string got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n > 0) {
        got.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (got.size() >= atLeast || Clock::now() >= deadline) return got;
      WaitFor(POLLIN, 10);
    }
  }

 private:
  using Clock = std::chrono::steady_clock;

  // While no one holds the slave the master polls as hung up at once: sleep
  // instead, so that waiting for the slave never spins.
  void WaitFor(short events, int ms) {
    pollfd p = {master_, events, 0};
    if (poll(&p, 1, ms) > 0 && (p.revents & events) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  int master_ = -1;
  std::string slavePath_;
};

}  // namespace tessaro::testing
