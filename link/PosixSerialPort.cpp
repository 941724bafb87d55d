#include "link/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>

#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#define TESSARO_HAVE_SERIAL_STRUCT 1
#endif

#include "link/NativeSerialPort.h"
#include "link/PortNames.h"
#include "link/PosixOpenFailure.h"
#include "link/PosixWakePipe.h"

// What termios cannot do of the classic serial settings, and so does not:
// - Queue sizes: the kernel's buffers are fixed (about 4 KiB each way); the
//   256-byte queues are not set.
// - Read time-outs: "return at once with what is queued" is O_NONBLOCK with
//   VMIN = 1, VTIME = 0, so an empty queue reads as EAGAIN, not as 0 bytes.
// - Write time-outs: Write() keeps its own deadline of msPerByte x count +
//   constant while it polls for room.
// - Hardware flow: CRTSCTS covers both directions, so besides holding RTS up
//   the kernel drops it while its own input buffer is nearly full.
// - DSR output flow has no termios flag; the session never asks for it.
// - Opening a tty raises DTR and RTS for a moment before the settings lower
//   them again.

namespace tessaro {

namespace {

using Steady = std::chrono::steady_clock;

// Beyond this a close discards unsent output rather than keep the window
// waiting for a line held by flow control.
constexpr int kCloseDrainCapMs = 1000;
constexpr std::uint8_t kTwoStopBits = 2;

struct SpeedRow {
  std::uint32_t rate;
  speed_t speed;
};
constexpr SpeedRow kSpeeds[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedFor(std::uint32_t rate, speed_t& speed) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.rate == rate) {
      speed = row.speed;
      return true;
    }
  }
  return false;
}

// Milliseconds left until `deadline`, rounded up so that a poll() never gets
// 0 while time remains (that would spin).
int MsUntil(Steady::time_point deadline) {
  const auto left = deadline - Steady::now();
  if (left <= Steady::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

// The GNU strerror_r returns its text, which need not be in the buffer; the
// XSI one fills the buffer and returns 0.
void KeepErrorText(char* buffer, std::size_t size, const char* text) {
  if (text != buffer) std::snprintf(buffer, size, "%s", text);
}
[[maybe_unused]] void KeepErrorText(char*, std::size_t, int) {}

// The character size, parity and stop-bit flags of a line.
struct FrameFlags {
  tcflag_t size = 0;
  tcflag_t parity = 0;
  tcflag_t stop = 0;
};

// False for a value termios has no flag for.
bool FrameFlagsFor(const LineSettings& line, FrameFlags& flags) {
  switch (line.byteSize) {
    case 7:
      flags.size = CS7;
      break;
    case 8:
      flags.size = CS8;
      break;
    default:
      return false;
  }
  switch (line.parity) {
    case kNoParity:
      flags.parity = 0;
      break;
    case kEvenParity:
      flags.parity = PARENB;
      break;
    case kOddParity:
      flags.parity = PARENB | PARODD;
      break;
    default:
      return false;
  }
  switch (line.stopBits) {
    case kOneStopBit:
      flags.stop = 0;
      break;
    case kTwoStopBits:
      flags.stop = CSTOPB;
      break;
    default:
      return false;
  }
  return true;
}

// Turns `t` into a raw line with the frame, flow control and speed of `line`.
bool MakeRawTermios(const LineSettings& line, const FrameFlags& frame, speed_t speed, termios& t) {
  // A pseudo-terminal starts cooked (line editing, echo, CR to NL).
  cfmakeraw(&t);
  // Received parity is never checked; input Xon/Xoff only when asked.
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | ISTRIP);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD | frame.size | frame.parity | frame.stop;
  if (line.OutxCtsFlow() || line.RtsControl() == kRtsControlHandshake) t.c_cflag |= CRTSCTS;
  if (line.OutX()) t.c_iflag |= IXON;
  if (line.InX()) t.c_iflag |= IXOFF;
  if (line.OutX() || line.InX()) {
    t.c_cc[VSTART] = static_cast<cc_t>(line.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(line.xoffChar);
  }
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  return cfsetispeed(&t, speed) == 0 && cfsetospeed(&t, speed) == 0;
}

// Whether the rate read back as set (an input speed of 0 means "as output").
bool SpeedTook(const termios& back, speed_t speed) {
  const speed_t in = cfgetispeed(&back);
  return cfgetospeed(&back) == speed && (in == speed || in == 0);
}

enum class SetResult {
  kFailed,
  kTook,
  kEightBitsOnly,  // 7 data bits refused by a line without modem-control lines
};

// Sets `t` and checks what took effect: tcsetattr succeeds when any part did.
SetResult SetAndCheck(int fd, const termios& t, speed_t speed, bool hasModemLines) {
  const tcflag_t size = t.c_cflag & CSIZE;
  const bool mayEmulateSevenBits = size == CS7 && !hasModemLines;
  if (tcsetattr(fd, TCSANOW, &t) != 0) {
    return errno == EINVAL && mayEmulateSevenBits ? SetResult::kEightBitsOnly : SetResult::kFailed;
  }
  termios back{};
  if (tcgetattr(fd, &back) != 0 || !SpeedTook(back, speed)) return SetResult::kFailed;
  if ((back.c_cflag & CSIZE) != size) {
    return mayEmulateSevenBits ? SetResult::kEightBitsOnly : SetResult::kFailed;
  }
  const tcflag_t lineBits = PARENB | PARODD | CSTOPB | CRTSCTS;
  if (hasModemLines && (back.c_cflag & lineBits) != (t.c_cflag & lineBits)) {
    return SetResult::kFailed;
  }
  return SetResult::kTook;
}

// A 7-bit line on a device that only has 8 data bits: 8 bits, the eighth bit
// of every received byte stripped.
bool SetSevenBitsOnEight(int fd, termios t, speed_t speed) {
  t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS8;
  t.c_iflag |= ISTRIP;
  termios back{};
  return tcsetattr(fd, TCSANOW, &t) == 0 && tcgetattr(fd, &back) == 0 && SpeedTook(back, speed);
}

}  // namespace

std::unique_ptr<SerialPort> MakeLocalSerialPort() {
  return std::make_unique<PosixSerialPort>();
}

PosixSerialPort::PosixSerialPort() {
  (void)OpenWakePipe(wakeRead_, wakeWrite_);
}

PosixSerialPort::~PosixSerialPort() {
  Close();
  if (wakeRead_ >= 0) close(wakeRead_);
  if (wakeWrite_ >= 0) close(wakeWrite_);
}

bool PosixSerialPort::Fail(PortErrorKind kind, int code, const char* path) {
  error_ = PortError{};
  error_.kind = kind;
  error_.code = code;
  KeepErrorText(error_.text, sizeof error_.text, strerror_r(code, error_.text, sizeof error_.text));
  if (path != nullptr && path[0] != '\0') DescribeOpenFailure(path, code, failure_);
  return false;
}

bool PosixSerialPort::Open(const char* name) {
  failure_ = OpenFailure{};
  const bool opened = OpenPath(name);
  // A COM name says which device it stood for, and which setting was missing.
  if (!opened && name != nullptr) DescribePortName(name, failure_.port, sizeof failure_.port);
  return opened;
}

bool PosixSerialPort::OpenPath(const char* name) {
  // Held already (by this object), or no way to wake a reader: refuse.
  if (fd_ >= 0) return Fail(PortErrorKind::Busy, EBUSY, name);
  if (wakeRead_ < 0) return Fail(PortErrorKind::Other, EMFILE, name);
  char path[PATH_MAX];
  if (!ResolvePortName(name, path, sizeof path)) {
    char com[8];
    DescribePortName(name, com, sizeof com);
    // A COM name that stands for no device was never a path.
    Fail(PortErrorKind::NotFound, com[0] != '\0' ? ENOENT : ENAMETOOLONG, name);
    if (com[0] != '\0') {
      CopyField(failure_.reason, sizeof failure_.reason, "no device behind this name");
      failure_.hint[0] = '\0';
    }
    return false;
  }

  const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    return Fail(code == ENOENT || code == ENXIO || code == ENODEV ? PortErrorKind::NotFound
                : code == EBUSY || code == EACCES                 ? PortErrorKind::Busy
                                                                  : PortErrorKind::Other,
                code, path);
  }
  // A path to something other than a terminal is no serial port.
  if (!isatty(fd)) {
    close(fd);
    return Fail(PortErrorKind::NotSerial, ENOTTY, path);
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    close(fd);
    return Fail(PortErrorKind::Busy, code, path);
  }
  // Keeps other users' opens out (EBUSY); root passes it, the flock does not.
  (void)ioctl(fd, TIOCEXCL);

  int lines = 0;
  hasModemLines_ = ioctl(fd, TIOCMGET, &lines) == 0;
  fd_ = fd;
  RequestLowLatency();
  DrainWake();
  // What the far end sent while nobody held the port belongs to no session.
  PurgeInput();
  return true;
}

bool PosixSerialPort::ApplyLineSettings(const LineSettings& line) {
  if (fd_ < 0) return false;
  errno = 0;
  if (!SetTermios(line)) return Fail(PortErrorKind::Settings, errno != 0 ? errno : EINVAL);
  SetModemLines(line);
  return true;
}

// Which refusals fail the open ("Error on setting communication state"):
// - a rate termios has no constant for, a data size other than 7 or 8, a
//   parity or stop-bit value the line cannot carry, or tcsetattr failing;
// - a rate that does not read back as set;
// - on a line with modem-control lines (a real UART or USB adapter): data
//   size, parity, stop bits or hardware flow that do not read back as set.
// Tolerated on a line without modem-control lines (a pseudo-terminal), which
// has no bits on a wire: parity silently dropped, and 7 data bits refused or
// turned into 8.  There the 7-bit line is emulated by stripping the eighth bit
// of every received byte (ISTRIP), which is what a 7-bit receiver delivers.
bool PosixSerialPort::SetTermios(const LineSettings& line) {
  speed_t speed = 0;
  FrameFlags frame;
  if (!SpeedFor(line.baudRate, speed) || !FrameFlagsFor(line, frame)) return false;
  termios t{};
  if (tcgetattr(fd_, &t) != 0 || !MakeRawTermios(line, frame, speed, t)) return false;
  switch (SetAndCheck(fd_, t, speed, hasModemLines_)) {
    case SetResult::kTook:
      return true;
    case SetResult::kEightBitsOnly:
      return SetSevenBitsOnEight(fd_, t, speed);
    case SetResult::kFailed:
      break;
  }
  return false;
}

// A pseudo-terminal has no modem-control lines and refuses these ioctls with
// ENOTTY; a driver may refuse them too.  Neither stops the session.
void PosixSerialPort::SetModemLines(const LineSettings& line) {
  int dtr = TIOCM_DTR;
  (void)ioctl(fd_, line.DtrControl() != kDtrControlDisable ? TIOCMBIS : TIOCMBIC, &dtr);
  int rts = TIOCM_RTS;
  switch (line.RtsControl()) {
    case kRtsControlEnable:
      (void)ioctl(fd_, TIOCMBIS, &rts);
      break;
    case kRtsControlDisable:
      (void)ioctl(fd_, TIOCMBIC, &rts);
      break;
    default:  // handshake: CRTSCTS lets the kernel drive RTS
      break;
  }
}

void PosixSerialPort::SetQueuesAndTimeouts(const PortTimeouts& timeouts) {
  writeMsPerByte_ = std::max(0, timeouts.writeMsPerByte);
  writeConstantMs_ = std::max(0, timeouts.writeConstantMs);
}

WaitResult PosixSerialPort::WaitReadable(int timeoutMs) {
  if (fd_ < 0) return WaitResult::Failed;
  const bool forever = timeoutMs < 0;
  const Steady::time_point deadline =
      Steady::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    const int ready = poll(fds, 2, forever ? -1 : MsUntil(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return WaitResult::Failed;
    }
    if (ready == 0) return WaitResult::TimedOut;
    if (fds[1].revents != 0) {
      DrainWake();
      return WaitResult::Woken;
    }
    // A hung-up tty (pty master closed, adapter unplugged) reports POLLHUP
    // together with POLLIN at once, forever, and reads 0 bytes: not data.
    if ((fds[0].revents & POLLNVAL) != 0) return WaitResult::Failed;
    if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) return WaitResult::HungUp;
    if ((fds[0].revents & POLLIN) != 0) return WaitResult::Readable;
  }
}

void PosixSerialPort::Wake() {
  if (wakeWrite_ < 0) return;
  const char byte = 1;
  // A full pipe means a wake-up is pending already.
  while (write(wakeWrite_, &byte, 1) < 0 && errno == EINTR) {
  }
}

void PosixSerialPort::DrainWake() {
  if (wakeRead_ < 0) return;
  char sink[64];
  for (;;) {
    const ssize_t n = read(wakeRead_, sink, sizeof sink);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    return;
  }
}

long PosixSerialPort::Read(char* buffer, std::size_t size) {
  if (fd_ < 0) return -1;
  for (;;) {
    const ssize_t n = read(fd_, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
  }
}

long PosixSerialPort::Write(const char* bytes, std::size_t count) {
  if (fd_ < 0) return -1;
  const long long budgetMs =
      static_cast<long long>(writeMsPerByte_) * static_cast<long long>(count) + writeConstantMs_;
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(budgetMs);
  std::size_t written = 0;
  while (written < count) {
    const ssize_t n = write(fd_, bytes + written, count - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      return written > 0 ? static_cast<long>(written) : -1;
    }
    // Output full (far end not reading, flow control holding the line).
    const int left = MsUntil(deadline);
    if (left == 0) break;
    pollfd out = {fd_, POLLOUT, 0};
    const int ready = poll(&out, 1, left);
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0 && (out.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      return written > 0 ? static_cast<long>(written) : -1;
    }
  }
  return static_cast<long>(written);
}

void PosixSerialPort::PurgeInput() {
  if (fd_ >= 0) (void)tcflush(fd_, TCIFLUSH);
}

void PosixSerialPort::Close() {
  if (fd_ < 0) return;
  RestoreLowLatency();
  // close() of a UART waits up to its closing_wait (30 s) for output held by
  // flow control; send what leaves in time, then drop the rest.  Only a
  // queue that did not empty is dropped: on a pty the flush also discards
  // what the far end has not read yet (the "@SP" before a reopen, say).
  if (!DrainOutputBounded()) (void)tcflush(fd_, TCOFLUSH);
  (void)ioctl(fd_, TIOCNXCL);
  close(fd_);  // releases the flock too
  fd_ = -1;
  hasModemLines_ = false;
  DrainWake();
}

bool PosixSerialPort::DrainOutputBounded() {
  int queued = 0;
  if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
  const long long budgetMs = std::min<long long>(
      kCloseDrainCapMs, static_cast<long long>(writeMsPerByte_) * queued + writeConstantMs_);
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(budgetMs);
  while (Steady::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
  }
  return false;
}

// USB adapters batch input for up to their latency timer (16 ms on FTDI
// chips); ASYNC_LOW_LATENCY asks the driver to shorten it.  Non-root users
// may change this flag.  Ptys and many drivers refuse (ENOTTY, EPERM):
// nothing to do then.
void PosixSerialPort::RequestLowLatency() {
  lowLatencySet_ = false;
#ifdef TESSARO_HAVE_SERIAL_STRUCT
  serial_struct serial{};
  if (ioctl(fd_, TIOCGSERIAL, &serial) != 0) return;
  if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  lowLatencySet_ = ioctl(fd_, TIOCSSERIAL, &serial) == 0;
#endif
}

void PosixSerialPort::RestoreLowLatency() {
#ifdef TESSARO_HAVE_SERIAL_STRUCT
  if (!lowLatencySet_) return;
  serial_struct serial{};
  if (ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
    serial.flags &= ~static_cast<int>(ASYNC_LOW_LATENCY);
    (void)ioctl(fd_, TIOCSSERIAL, &serial);
  }
#endif
  lowLatencySet_ = false;
}

}  // namespace tessaro
