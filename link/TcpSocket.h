#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "link/SerialPort.h"

namespace tessaro {

// Why a connect failed, in the words the user is shown.
enum class ConnectFailure {
  None,
  NameNotFound,
  Refused,
  Unreachable,
  TimedOut,
  Other,
};

const char* ConnectFailureText(ConnectFailure failure);

// A TCP connection to a device server, with the calls a serial port needs:
// a connect with a deadline, a wait for received bytes that another thread
// can end, non-blocking receive and a send with a deadline.  Nagle is off
// (each command leaves at once) and keepalive probes find a dead peer within
// a few seconds.  One file per platform (BSD sockets, Winsock).
//
// Threads: Connect and Close while no other thread uses the object;
// WaitReadable and Receive on one thread, Send on one thread (another one),
// Wake on any.
class TcpSocket {
 public:
  TcpSocket();
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // false with Failure() and Error() set.
  bool Connect(const char* host, const char* service, int timeoutMs);
  // Readable also when the peer closed (Receive then says so).  HungUp for a
  // reset or a connection the keepalive found dead.
  WaitResult WaitReadable(int timeoutMs);
  void Wake();
  // Bytes received, 0 when none are queued, -1 when the connection ended
  // (closed by the peer, reset, dead).
  long Receive(char* buffer, std::size_t size);
  // true when all bytes went out before the deadline.
  bool Send(const char* bytes, std::size_t count, int timeoutMs);
  void Close();
  bool IsOpen() const { return handle_ != kNone; }
  // The peer closed its side within `ms` (used to spot a server that
  // accepts and then turns the connection away).  Leaves received bytes
  // queued.
  bool ClosedWithin(int ms);

  ConnectFailure Failure() const { return failure_; }
  const PortError& Error() const { return error_; }

 private:
  void Fail(ConnectFailure failure, int code);

  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;  // the socket
  std::intptr_t wakeA_ = kNone;   // POSIX: pipe read end; Windows: wake event
  std::intptr_t wakeB_ = kNone;   // POSIX: pipe write end; Windows: socket event
  std::atomic<bool> woken_{false};
  ConnectFailure failure_ = ConnectFailure::None;
  PortError error_{};
};

}  // namespace tessaro
