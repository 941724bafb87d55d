#pragma once

// The PC's side of the line in the simulator's tests: the pty slave opened
// raw with plain termios, plain bytes written, answers read with deadlines
// (never a blind sleep).

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "sim/Line.h"

namespace tessaro::sim::testing {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class PcPort {
 public:
  PcPort() = default;
  explicit PcPort(const std::string& path, int baud = 115200) { Open(path, baud); }
  ~PcPort() { Close(); }
  PcPort(const PcPort&) = delete;
  PcPort& operator=(const PcPort&) = delete;

  bool Open(const std::string& path, int baud = 115200) {
    Close();
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return false;
    return SetSpeed(baud);
  }
  // Takes an open descriptor (the master of a pty whose slave the simulator
  // uses as its serial device).
  void Adopt(int fd) {
    Close();
    fd_ = fd;
  }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    buffer_.clear();
  }
  bool IsOpen() const { return fd_ >= 0; }

  bool SetSpeed(int baud) {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    const auto speed = static_cast<speed_t>(BaudToSpeed(baud));
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return tcsetattr(fd_, TCSANOW, &t) == 0;
  }

  void Send(const std::string& bytes) {
    std::size_t done = 0;
    const auto deadline = Clock::now() + 5s;
    while (done < bytes.size() && Clock::now() < deadline) {
      const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else {
        pollfd p{fd_, POLLOUT, 0};
        poll(&p, 1, 50);
      }
    }
  }

  // Reads whatever arrives within the wait; the bytes join the buffer.
  // Returns the number of bytes read.
  std::size_t Pump(std::chrono::milliseconds wait) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(wait.count())) <= 0) return 0;
    char chunk[4096];
    const ssize_t n = read(fd_, chunk, sizeof chunk);
    if (n <= 0) return 0;
    buffer_.append(chunk, static_cast<std::size_t>(n));
    lastChunk_.assign(chunk, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
  }

  // The next "@...\r" message; bytes before its "@" go to Stray().  Empty
  // when none is complete by the deadline.
  std::string ReadMessage(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      const auto at = buffer_.find('@');
      if (at != std::string::npos) {
        const auto end = buffer_.find('\r', at);
        if (end != std::string::npos) {
          stray_ += buffer_.substr(0, at);
          std::string message = buffer_.substr(at, end - at + 1);
          buffer_.erase(0, end + 1);
          return message;
        }
      }
      const auto now = Clock::now();
      if (now >= deadline) return {};
      Pump(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) + 1ms);
    }
  }

  // Messages until `count` have come or the deadline passes.
  std::vector<std::string> ReadMessages(std::size_t count, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = Clock::now() + timeout;
    std::vector<std::string> messages;
    while (messages.size() < count) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left <= 0ms) break;
      std::string m = ReadMessage(left);
      if (m.empty()) break;
      messages.push_back(m);
    }
    return messages;
  }

  // A line up to and including "\r" (the loader's bare answers), or empty.
  std::string ReadLine(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      const auto end = buffer_.find('\r');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end + 1);
        buffer_.erase(0, end + 1);
        return line;
      }
      const auto now = Clock::now();
      if (now >= deadline) return {};
      Pump(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) + 1ms);
    }
  }

  // Everything that arrives within the window (for garbage and pacing).
  std::string Collect(std::chrono::milliseconds window) {
    const auto deadline = Clock::now() + window;
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
      Pump(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) + 1ms);
    }
    std::string all = buffer_;
    buffer_.clear();
    return all;
  }

  // True when nothing more arrives within the quiet window.
  bool Quiet(std::chrono::milliseconds window) {
    const std::size_t before = buffer_.size();
    const auto deadline = Clock::now() + window;
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
      Pump(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) + 1ms);
    }
    return buffer_.size() == before;
  }

  std::string& Buffer() { return buffer_; }
  const std::string& Stray() const { return stray_; }
  const std::string& LastChunk() const { return lastChunk_; }
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
  std::string buffer_;
  std::string stray_;
  std::string lastChunk_;
};

}  // namespace tessaro::sim::testing
