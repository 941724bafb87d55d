#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>

#include "link/PosixWakePipe.h"
#include "link/TcpSocket.h"

namespace tessaro {

namespace {

using Steady = std::chrono::steady_clock;

// Keepalive: the first probe after 2 s of silence, then one a second; three
// unanswered ones end the connection (about 5 s).  Sent bytes that stay
// unacknowledged for 5 s end it too.
constexpr int kKeepIdleS = 2;
constexpr int kKeepIntervalS = 1;
constexpr int kKeepCount = 3;
constexpr unsigned kUserTimeoutMs = 5000;

int MsUntil(Steady::time_point deadline) {
  const auto left = deadline - Steady::now();
  if (left <= Steady::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

int Fd(std::intptr_t handle) {
  return static_cast<int>(handle);
}

void Tune(int fd) {
  const int on = 1;
  (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  (void)setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  (void)setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleS, sizeof kKeepIdleS);
  (void)setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalS, sizeof kKeepIntervalS);
  (void)setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepCount, sizeof kKeepCount);
  (void)setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUserTimeoutMs, sizeof kUserTimeoutMs);
}

ConnectFailure Classify(int code) {
  switch (code) {
    case ECONNREFUSED:
      return ConnectFailure::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
      return ConnectFailure::Unreachable;
    case ETIMEDOUT:
      return ConnectFailure::TimedOut;
    default:
      return ConnectFailure::Other;
  }
}

// One address: a non-blocking connect that waits until `deadline`; 0 or
// the error number.
int ConnectOne(int fd, const addrinfo& address, Steady::time_point deadline) {
  if (connect(fd, address.ai_addr, address.ai_addrlen) == 0) return 0;
  if (errno != EINPROGRESS) return errno;
  for (;;) {
    pollfd out = {fd, POLLOUT, 0};
    const int ready = poll(&out, 1, MsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return errno;
    if (ready == 0) return ETIMEDOUT;
    int code = 0;
    socklen_t size = sizeof code;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &size) != 0) return errno;
    return code;
  }
}

}  // namespace

TcpSocket::TcpSocket() {
  int readEnd = -1;
  int writeEnd = -1;
  if (!OpenWakePipe(readEnd, writeEnd)) return;
  wakeA_ = readEnd;
  wakeB_ = writeEnd;
}

TcpSocket::~TcpSocket() {
  Close();
  if (wakeA_ != kNone) close(Fd(wakeA_));
  if (wakeB_ != kNone) close(Fd(wakeB_));
}

void TcpSocket::Fail(ConnectFailure failure, int code) {
  failure_ = failure;
  error_ = PortError{};
  error_.kind = failure == ConnectFailure::NameNotFound ? PortErrorKind::NotFound
                : failure == ConnectFailure::Other      ? PortErrorKind::Other
                                                        : PortErrorKind::Gone;
  error_.code = code;
  std::snprintf(error_.text, sizeof error_.text, "%s (%s)", ConnectFailureText(failure),
                std::strerror(code));
}

bool TcpSocket::Connect(const char* host, const char* service, int timeoutMs) {
  Close();
  failure_ = ConnectFailure::None;
  error_ = PortError{};
  if (wakeA_ == kNone) {
    Fail(ConnectFailure::Other, EMFILE);
    return false;
  }
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int resolved = getaddrinfo(host, service, &hints, &found);
  if (resolved != 0) {
    failure_ = ConnectFailure::NameNotFound;
    error_.kind = PortErrorKind::NotFound;
    error_.code = resolved;
    std::snprintf(error_.text, sizeof error_.text, "%s (%s)",
                  ConnectFailureText(ConnectFailure::NameNotFound), gai_strerror(resolved));
    return false;
  }
  int code = EHOSTUNREACH;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const int fd =
        socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0) {
      code = errno;
      continue;
    }
    code = ConnectOne(fd, *a, deadline);
    if (code == 0) {
      Tune(fd);
      handle_ = fd;
      break;
    }
    close(fd);
    if (code == ETIMEDOUT) break;
  }
  freeaddrinfo(found);
  if (handle_ == kNone) {
    Fail(Classify(code), code);
    return false;
  }
  woken_.store(false);
  char sink[64];
  while (read(Fd(wakeA_), sink, sizeof sink) > 0) {
  }
  return true;
}

WaitResult TcpSocket::WaitReadable(int timeoutMs) {
  if (handle_ == kNone) return WaitResult::Failed;
  const bool forever = timeoutMs < 0;
  const Steady::time_point deadline =
      Steady::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
  for (;;) {
    pollfd fds[2] = {{Fd(handle_), POLLIN, 0}, {Fd(wakeA_), POLLIN, 0}};
    const int ready = poll(fds, 2, forever ? -1 : MsUntil(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return WaitResult::Failed;
    }
    if (ready == 0) return WaitResult::TimedOut;
    if (fds[1].revents != 0) {
      char sink[64];
      while (read(Fd(wakeA_), sink, sizeof sink) > 0) {
      }
      return WaitResult::Woken;
    }
    if ((fds[0].revents & POLLNVAL) != 0) return WaitResult::Failed;
    // Bytes first; a closed or dead connection only once they are taken.
    char probe = 0;
    const ssize_t n = recv(Fd(handle_), &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) return WaitResult::Readable;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
    return WaitResult::HungUp;
  }
}

void TcpSocket::Wake() {
  if (wakeB_ == kNone) return;
  const char byte = 1;
  while (write(Fd(wakeB_), &byte, 1) < 0 && errno == EINTR) {
  }
}

long TcpSocket::Receive(char* buffer, std::size_t size) {
  if (handle_ == kNone) return -1;
  for (;;) {
    const ssize_t n = recv(Fd(handle_), buffer, size, MSG_DONTWAIT);
    if (n > 0) return static_cast<long>(n);
    if (n == 0) return size == 0 ? 0 : -1;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
  }
}

bool TcpSocket::Send(const char* bytes, std::size_t count, int timeoutMs) {
  if (handle_ == kNone) return false;
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t sent = 0;
  while (sent < count) {
    const ssize_t n = send(Fd(handle_), bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    const int left = MsUntil(deadline);
    if (left == 0) return false;
    pollfd out = {Fd(handle_), POLLOUT, 0};
    if (poll(&out, 1, left) > 0 && (out.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      return false;
    }
  }
  return true;
}

bool TcpSocket::ClosedWithin(int ms) {
  if (handle_ == kNone) return true;
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(ms);
  for (;;) {
    pollfd fd = {Fd(handle_), POLLRDHUP, 0};
    const int ready = poll(&fd, 1, MsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

void TcpSocket::Close() {
  if (handle_ == kNone) return;
  close(Fd(handle_));
  handle_ = kNone;
}

}  // namespace tessaro
