#pragma once

#include <cstddef>
#include <mutex>

#include "link/NetworkPortName.h"
#include "link/SerialPort.h"
#include "link/TcpSocket.h"

namespace tessaro {

// What the two network transports share: the connection to the server and
// its open, wait, wake and close.  A server that accepts and at once closes
// again (a device server still releasing the line from the last connection)
// is tried again for a moment before the open fails.
//
// Threads as for any SerialPort: Open, ApplyLineSettings, SetQueuesAndTimeouts
// and Close on one thread while no other uses the port; WaitReadable, Read
// and PurgeInput on the reading thread, Write on one other thread, Wake on
// any.
class SocketSerialPort : public SerialPort {
 public:
  bool Open(const char* name) override;
  OpenFailure LastOpenFailure() const override { return failure_; }
  void SetQueuesAndTimeouts(const PortTimeouts& timeouts) override { timeouts_ = timeouts; }
  WaitResult WaitReadable(int timeoutMs) override { return socket_.WaitReadable(timeoutMs); }
  void Wake() override { socket_.Wake(); }
  void Close() override { socket_.Close(); }
  bool IsOpen() const override { return socket_.IsOpen(); }
  PortError LastError() const override { return error_; }
  const char* LineNote() const override { return note_; }

  static constexpr int kConnectTimeoutMs = 5000;
  // How long a server that turns connections away is tried again.
  static constexpr int kBusyRetryMs = 2000;

 protected:
  // After each connect: false when the server closed the connection again
  // (tried anew) or refused what the transport needs (`refused` set).
  virtual bool Greet(bool& refused) = 0;
  virtual NetworkScheme Scheme() const = 0;

  // The budget of one Write of `count` bytes.
  int WriteBudgetMs(std::size_t count) const;
  // Keeps a failure of a call other than Open for LastError().
  void Fail(PortErrorKind kind, const char* text);
  void SetNote(const char* text);

  TcpSocket socket_;
  PortTimeouts timeouts_{};
  PortError error_{};
  OpenFailure failure_{};
  char note_[160] = {};
  std::mutex sendLock_;  // one sender at a time on the socket

 private:
  bool FailOpen(const char* name, const char* reason, const char* hint, int code);
};

}  // namespace tessaro
