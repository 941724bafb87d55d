// Winsock first: the headers after it build on its types.
#include <windows.h>
#include <winsock2.h>

#include <mstcpip.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>

#include "link/TcpSocket.h"

namespace tessaro {

namespace {

using Steady = std::chrono::steady_clock;

// Keepalive: the first probe after 2 s of silence, then one a second (the
// count of probes is Windows' own: ten before Vista's successors, so about
// 12 s at worst).
constexpr ULONG kKeepIdleMs = 2000;
constexpr ULONG kKeepIntervalMs = 1000;

DWORD MsUntil(Steady::time_point deadline) {
  const auto left = deadline - Steady::now();
  if (left <= Steady::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<DWORD>(std::min<long long>(ms, INT_MAX));
}

SOCKET Sock(std::intptr_t handle) {
  return static_cast<SOCKET>(handle);
}
HANDLE Event(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

void Tune(SOCKET s) {
  const BOOL on = TRUE;
  (void)setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  tcp_keepalive keep{};
  keep.onoff = 1;
  keep.keepalivetime = kKeepIdleMs;
  keep.keepaliveinterval = kKeepIntervalMs;
  DWORD returned = 0;
  (void)WSAIoctl(s, SIO_KEEPALIVE_VALS, &keep, sizeof keep, nullptr, 0, &returned, nullptr,
                 nullptr);
}

ConnectFailure Classify(int code) {
  switch (code) {
    case WSAECONNREFUSED:
      return ConnectFailure::Refused;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN:
      return ConnectFailure::Unreachable;
    case WSAETIMEDOUT:
      return ConnectFailure::TimedOut;
    default:
      return ConnectFailure::Other;
  }
}

// One address: a non-blocking connect that waits until `deadline`; 0 or
// the Winsock error.
int ConnectOne(SOCKET s, const addrinfo& address, Steady::time_point deadline) {
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return WSAGetLastError();
  if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) return 0;
  const int started = WSAGetLastError();
  if (started != WSAEWOULDBLOCK) return started;
  WSAPOLLFD out = {s, POLLWRNORM, 0};
  const int ready = WSAPoll(&out, 1, static_cast<INT>(MsUntil(deadline)));
  if (ready < 0) return WSAGetLastError();
  if (ready == 0) return WSAETIMEDOUT;
  int code = 0;
  int size = sizeof code;
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &size) != 0) {
    return WSAGetLastError();
  }
  return code;
}

}  // namespace

TcpSocket::TcpSocket() {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
  wakeA_ = reinterpret_cast<std::intptr_t>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  wakeB_ = reinterpret_cast<std::intptr_t>(WSACreateEvent());
  if (wakeA_ == 0) wakeA_ = kNone;
  if (wakeB_ == 0) wakeB_ = kNone;
}

TcpSocket::~TcpSocket() {
  Close();
  if (wakeA_ != kNone) CloseHandle(Event(wakeA_));
  if (wakeB_ != kNone) WSACloseEvent(Event(wakeB_));
  WSACleanup();
}

void TcpSocket::Fail(ConnectFailure failure, int code) {
  failure_ = failure;
  error_ = PortError{};
  error_.kind = failure == ConnectFailure::NameNotFound ? PortErrorKind::NotFound
                : failure == ConnectFailure::Other      ? PortErrorKind::Other
                                                        : PortErrorKind::Gone;
  error_.code = code;
  char system[96] = {};
  const DWORD n =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(code), 0, system, sizeof system, nullptr);
  for (DWORD i = n; i > 0 && (system[i - 1] == '\r' || system[i - 1] == '\n'); --i) {
    system[i - 1] = '\0';
  }
  std::snprintf(error_.text, sizeof error_.text, "%s (%s)", ConnectFailureText(failure),
                n > 0 ? system : "no system text");
}

bool TcpSocket::Connect(const char* host, const char* service, int timeoutMs) {
  Close();
  failure_ = ConnectFailure::None;
  error_ = PortError{};
  if (wakeA_ == kNone || wakeB_ == kNone) {
    Fail(ConnectFailure::Other, WSAENOBUFS);
    return false;
  }
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int resolved = getaddrinfo(host, service, &hints, &found);
  if (resolved != 0) {
    Fail(ConnectFailure::NameNotFound, resolved);
    return false;
  }
  int code = WSAEHOSTUNREACH;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) {
      code = WSAGetLastError();
      continue;
    }
    code = ConnectOne(s, *a, deadline);
    if (code == 0) {
      Tune(s);
      handle_ = static_cast<std::intptr_t>(s);
      break;
    }
    closesocket(s);
    if (code == WSAETIMEDOUT) break;
  }
  freeaddrinfo(found);
  if (handle_ == kNone) {
    Fail(Classify(code), code);
    return false;
  }
  // Leaves the socket non-blocking; the event is set by received bytes and
  // by the peer's close.
  if (WSAEventSelect(Sock(handle_), Event(wakeB_), FD_READ | FD_CLOSE) != 0) {
    code = WSAGetLastError();
    Close();
    Fail(ConnectFailure::Other, code);
    return false;
  }
  woken_.store(false);
  ResetEvent(Event(wakeA_));
  return true;
}

WaitResult TcpSocket::WaitReadable(int timeoutMs) {
  if (handle_ == kNone) return WaitResult::Failed;
  const bool forever = timeoutMs < 0;
  const Steady::time_point deadline =
      Steady::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
  for (;;) {
    // Bytes already queued (the event only fires on new arrivals after a
    // short receive) come first.
    char probe = 0;
    const int peeked = recv(Sock(handle_), &probe, 1, MSG_PEEK);
    if (peeked > 0) return WaitResult::Readable;
    if (peeked == 0) return WaitResult::HungUp;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return WaitResult::HungUp;
    const HANDLE events[2] = {Event(wakeA_), Event(wakeB_)};
    const DWORD result =
        WaitForMultipleObjects(2, events, FALSE, forever ? INFINITE : MsUntil(deadline));
    if (result == WAIT_TIMEOUT) return WaitResult::TimedOut;
    if (result == WAIT_OBJECT_0) {
      ResetEvent(Event(wakeA_));
      return WaitResult::Woken;
    }
    if (result != WAIT_OBJECT_0 + 1) return WaitResult::Failed;
    WSANETWORKEVENTS happened{};
    if (WSAEnumNetworkEvents(Sock(handle_), Event(wakeB_), &happened) != 0) {
      return WaitResult::Failed;
    }
  }
}

void TcpSocket::Wake() {
  if (wakeA_ != kNone) SetEvent(Event(wakeA_));
}

long TcpSocket::Receive(char* buffer, std::size_t size) {
  if (handle_ == kNone) return -1;
  const int n =
      recv(Sock(handle_), buffer, static_cast<int>(std::min<std::size_t>(size, INT_MAX)), 0);
  if (n > 0) return n;
  if (n == 0) return size == 0 ? 0 : -1;
  return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

bool TcpSocket::Send(const char* bytes, std::size_t count, int timeoutMs) {
  if (handle_ == kNone) return false;
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t sent = 0;
  while (sent < count) {
    const int n = send(Sock(handle_), bytes + sent,
                       static_cast<int>(std::min<std::size_t>(count - sent, INT_MAX)), 0);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    const DWORD left = MsUntil(deadline);
    if (left == 0) return false;
    WSAPOLLFD out = {Sock(handle_), POLLWRNORM, 0};
    if (WSAPoll(&out, 1, static_cast<INT>(left)) > 0 &&
        (out.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      return false;
    }
  }
  return true;
}

bool TcpSocket::ClosedWithin(int ms) {
  if (handle_ == kNone) return true;
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(ms);
  for (;;) {
    WSANETWORKEVENTS happened{};
    if (WSAEnumNetworkEvents(Sock(handle_), Event(wakeB_), &happened) != 0) return true;
    if ((happened.lNetworkEvents & FD_CLOSE) != 0) return true;
    const DWORD left = MsUntil(deadline);
    if (left == 0) return false;
    const HANDLE event = Event(wakeB_);
    if (WaitForSingleObject(event, left) == WAIT_TIMEOUT) return false;
  }
}

void TcpSocket::Close() {
  if (handle_ == kNone) return;
  closesocket(Sock(handle_));
  handle_ = kNone;
}

}  // namespace tessaro
