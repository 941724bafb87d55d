#pragma once

#include <cstddef>

#include "link/OpenFailure.h"
#include "link/PortSettings.h"

namespace tessaro {

// Queue sizes and time-outs asked of the driver at each open.  A platform
// that cannot set one of them keeps its own; reads are always non-blocking.
struct PortTimeouts {
  int inputQueue = 256;
  int outputQueue = 256;
  int writeMsPerByte = 5;
  int writeConstantMs = 50;
};

// Result of waiting for received bytes.
enum class WaitResult {
  Readable,  // bytes are queued for reading
  Woken,     // another thread called Wake()
  TimedOut,  // the deadline passed
  HungUp,    // the far end went away (pty master closed, adapter pulled)
  Failed,    // the wait failed for another reason
};

// Why the last failing call of a port failed: what the user is told (the
// kind) and the system's own reason (its error number and text).
enum class PortErrorKind {
  None,
  NotFound,   // no such device
  Busy,       // another program (or this object) holds it
  NotSerial,  // it exists but is no serial line
  Settings,   // the device refused the line settings
  Gone,       // the device went away while open
  Other,
};

struct PortError {
  PortErrorKind kind = PortErrorKind::None;
  int code = 0;         // errno on POSIX, GetLastError() on Windows
  char text[128] = {};  // the system's text for `code`
};

// One serial device.  One file per platform implements it; the engine, the
// download and the tools only see this interface.
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens the device exclusively ("COM1".."COM6" or a device path).  false
  // when it does not exist or another program holds it.
  virtual bool Open(const char* name) = 0;
  // Why the last Open returned false (empty when the platform cannot say).
  virtual OpenFailure LastOpenFailure() const { return {}; }
  // false when the device refuses the settings.
  virtual bool ApplyLineSettings(const LineSettings& line) = 0;
  virtual void SetQueuesAndTimeouts(const PortTimeouts& timeouts) = 0;
  // Blocks until bytes are queued, Wake() is called, the far end hangs up or
  // timeoutMs passes (negative: no deadline).
  virtual WaitResult WaitReadable(int timeoutMs) = 0;
  // Makes a pending or the next WaitReadable return Woken.  Any thread.
  virtual void Wake() = 0;
  // Non-blocking read: bytes read, 0 when none are queued, -1 on failure.
  virtual long Read(char* buffer, std::size_t size) = 0;
  // Writes all bytes or gives up after writeMsPerByte x count + writeConstantMs.
  // Returns the number of bytes written, -1 on failure.
  virtual long Write(const char* bytes, std::size_t count) = 0;
  virtual void PurgeInput() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The reason of the last failure of Open, ApplyLineSettings, Read or
  // Write; kind None when the port does not say.  The thread that made the
  // call.
  virtual PortError LastError() const { return {}; }
  // What the last ApplyLineSettings could not do although it did not fail
  // (a network port whose server cannot set the line, or set a lesser
  // setting another way); empty when everything took.  Same thread as
  // ApplyLineSettings.
  virtual const char* LineNote() const { return ""; }
};

}  // namespace tessaro
