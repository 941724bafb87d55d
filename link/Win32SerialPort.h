#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>

#include "link/SerialPort.h"

namespace tessaro {

// A serial device through the Win32 communications calls.  The device is
// opened exclusive and overlapped; a wait is WaitCommEvent on EV_RXCHAR,
// which Wake() ends by clearing the event mask (an event next to it covers a
// Wake that comes before the wait starts).  Where WaitCommEvent cannot wait
// (Wine ends it at once), the wait is a read that blocks until a byte comes.
//
// Threads: Open, ApplyLineSettings, SetQueuesAndTimeouts and Close belong to
// one thread while no other uses the port; WaitReadable, Read and PurgeInput
// belong to the thread that reads, Write to one thread at a time, and Wake
// to any thread, all at once.
class Win32SerialPort final : public SerialPort {
 public:
  Win32SerialPort();
  ~Win32SerialPort() override;
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  bool Open(const char* name) override;
  bool ApplyLineSettings(const LineSettings& line) override;
  void SetQueuesAndTimeouts(const PortTimeouts& timeouts) override;
  WaitResult WaitReadable(int timeoutMs) override;
  void Wake() override;
  long Read(char* buffer, std::size_t size) override;
  long Write(const char* bytes, std::size_t count) override;
  void PurgeInput() override;
  void Close() override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
  PortError LastError() const override { return error_; }

  // True once this open waits by reading (see the class comment).
  bool WaitsByReading() const { return waitByReading_; }

 private:
  // What one round of a wait came to; Again: look at the port once more.
  enum class Step { Again, Pending, Readable, HungUp };

  Step StartCommWait();
  Step FinishCommWait();
  Step StartReadWait();
  Step FinishReadWait();
  void UseReadWait();
  bool TakePendingRead();
  long TakeStash(char* buffer, std::size_t size);
  void EndPending(OVERLAPPED& overlapped, bool& pending);
  bool DrainOutputBounded();
  void ApplyTimeouts();
  void Record(PortErrorKind kind, DWORD code);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE wakeEvent_ = nullptr;
  OVERLAPPED waitOverlapped_{};
  OVERLAPPED readOverlapped_{};
  OVERLAPPED ioOverlapped_{};
  OVERLAPPED writeOverlapped_{};
  DWORD eventMask_ = 0;
  bool waitPending_ = false;
  bool readPending_ = false;
  bool waitByReading_ = false;
  // Wakes so far, and the count when the pending wait started: a wait that
  // ends aborted with no wake in between was not ended by this program.
  std::atomic<unsigned> wakes_{0};
  unsigned wakesAtWait_ = 0;
  std::atomic<bool> woken_{false};
  // The byte the waiting read took, handed out by Read() first.
  char stash_[1];
  DWORD stashSize_ = 0;
  DWORD stashPos_ = 0;
  PortTimeouts timeouts_{};
  PortError error_{};
};

}  // namespace tessaro
