#pragma once

#include <cstddef>

#include "link/SerialPort.h"

namespace tessaro {

// A serial device through termios.  The device is opened non-blocking and
// exclusive (TIOCEXCL against other users, flock against other programs of
// the same user and root, whom TIOCEXCL does not stop).  A self-pipe polled
// next to the device lets another thread wake a pending WaitReadable.
//
// Threads: Open, ApplyLineSettings, SetQueuesAndTimeouts and Close belong to
// one thread while no other uses the port; WaitReadable, Read, Write,
// PurgeInput and Wake may then run on different threads at once.
class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort();
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  bool Open(const char* name) override;
  OpenFailure LastOpenFailure() const override { return failure_; }
  bool ApplyLineSettings(const LineSettings& line) override;
  void SetQueuesAndTimeouts(const PortTimeouts& timeouts) override;
  WaitResult WaitReadable(int timeoutMs) override;
  void Wake() override;
  long Read(char* buffer, std::size_t size) override;
  long Write(const char* bytes, std::size_t count) override;
  void PurgeInput() override;
  void Close() override;
  bool IsOpen() const override { return fd_ >= 0; }
  PortError LastError() const override { return error_; }

  // The open descriptor, -1 when closed (to read the line settings back).
  int NativeHandle() const { return fd_; }
  // False on a line without modem-control lines, such as a pseudo-terminal.
  bool HasModemLines() const { return hasModemLines_; }

 private:
  bool OpenPath(const char* name);
  bool SetTermios(const LineSettings& line);
  void SetModemLines(const LineSettings& line);
  void RequestLowLatency();
  void RestoreLowLatency();
  // true when the output queue emptied in time.
  bool DrainOutputBounded();
  void DrainWake();
  // Keeps errno's reason for LastError() and LastOpenFailure() (with the
  // device path); returns false.
  bool Fail(PortErrorKind kind, int code, const char* path = "");

  OpenFailure failure_;
  int fd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  bool hasModemLines_ = false;
  bool lowLatencySet_ = false;
  int writeMsPerByte_ = 5;
  int writeConstantMs_ = 50;
  PortError error_{};
};

}  // namespace tessaro
