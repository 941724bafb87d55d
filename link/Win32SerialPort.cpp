#include "link/Win32SerialPort.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "link/NativeSerialPort.h"
#include "link/PortNames.h"

// What the Win32 calls leave to this file:
// - Read time-outs are "return at once with what is queued" (interval
//   MAXDWORD, total 0); Read() also never asks for more than ClearCommError
//   reports queued.
// - Write time-outs are the driver's (msPerByte x count + constant); Write()
//   keeps the same deadline itself, with a margin, for a driver that ignores
//   them.
// - SetupComm is a request; a driver may keep its own queue sizes.
// - Wine (tested here on a pseudo-terminal) ends a pending WaitCommEvent
//   after a few milliseconds with ERROR_OPERATION_ABORTED although nothing
//   cancelled it, and has neither exclusivity nor modem lines there.  Real
//   Windows keeps the wait pending until a byte comes or the mask changes.
//   An abort that no Wake() explains switches the open port to waiting in an
//   overlapped read that returns with the first byte (see UseReadWait), so
//   neither case spins.

namespace tessaro {

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kCloseDrainCapMs = 1000;
// Beyond the driver's own write time-out, how long Write() waits before it
// cancels the write itself.
constexpr DWORD kWriteMarginMs = 500;
// The read that waits for a byte ends after this long and is started again:
// idle, the reader wakes once in this time.
constexpr DWORD kReadWaitMs = 1000;

DWORD MsUntil(Steady::time_point deadline) {
  const auto left = deadline - Steady::now();
  if (left <= Steady::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<DWORD>(std::min<long long>(ms, INFINITE - 1));
}

void ResetOverlapped(OVERLAPPED& overlapped) {
  const HANDLE event = overlapped.hEvent;
  overlapped = OVERLAPPED{};
  overlapped.hEvent = event;
  ResetEvent(event);
}

}  // namespace

std::unique_ptr<SerialPort> MakeLocalSerialPort() {
  return std::make_unique<Win32SerialPort>();
}

Win32SerialPort::Win32SerialPort() {
  wakeEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (OVERLAPPED* o : {&waitOverlapped_, &readOverlapped_, &ioOverlapped_, &writeOverlapped_}) {
    o->hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
}

Win32SerialPort::~Win32SerialPort() {
  Close();
  for (HANDLE h : {wakeEvent_, waitOverlapped_.hEvent, readOverlapped_.hEvent, ioOverlapped_.hEvent,
                   writeOverlapped_.hEvent}) {
    if (h != nullptr) CloseHandle(h);
  }
}

void Win32SerialPort::Record(PortErrorKind kind, DWORD code) {
  error_ = PortError{};
  error_.kind = kind;
  error_.code = static_cast<int>(code);
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, error_.text, sizeof error_.text, nullptr);
  // The system's texts end in "\r\n".
  DWORD end = n;
  while (end > 0 && (error_.text[end - 1] == '\n' || error_.text[end - 1] == '\r')) --end;
  error_.text[end] = '\0';
}

bool Win32SerialPort::Open(const char* name) {
  if (IsOpen()) {
    Record(PortErrorKind::Busy, ERROR_BUSY);
    return false;
  }
  if (wakeEvent_ == nullptr || waitOverlapped_.hEvent == nullptr ||
      readOverlapped_.hEvent == nullptr || ioOverlapped_.hEvent == nullptr ||
      writeOverlapped_.hEvent == nullptr) {
    Record(PortErrorKind::Other, ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  char path[MAX_PATH];
  if (!ResolvePortName(name, path, sizeof path)) {
    Record(PortErrorKind::NotFound, ERROR_INVALID_NAME);
    return false;
  }
  // No sharing: a second open, by this or another program, is refused.
  const HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    PortErrorKind kind = PortErrorKind::Other;
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
      kind = PortErrorKind::NotFound;
    if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) kind = PortErrorKind::Busy;
    Record(kind, code);
    return false;
  }
  // A file or another device is no serial port.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle, &dcb)) {
    Record(PortErrorKind::NotSerial, GetLastError());
    CloseHandle(handle);
    return false;
  }
  handle_ = handle;
  waitByReading_ = false;
  waitPending_ = false;
  readPending_ = false;
  stashSize_ = stashPos_ = 0;
  woken_.store(false);
  ResetEvent(wakeEvent_);
  ApplyTimeouts();
  (void)SetCommMask(handle_, EV_RXCHAR);
  // What the far end sent while nobody held the port belongs to no session.
  (void)PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
  return true;
}

bool Win32SerialPort::ApplyLineSettings(const LineSettings& line) {
  if (!IsOpen()) return false;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) {
    Record(PortErrorKind::Settings, GetLastError());
    return false;
  }
  dcb.BaudRate = line.baudRate;
  dcb.ByteSize = line.byteSize;
  dcb.Parity = line.parity;
  dcb.StopBits = line.stopBits;
  // Windows supports binary mode only.
  dcb.fBinary = TRUE;
  dcb.fParity = (line.flags & LineSettings::kParityCheck) != 0 ? 1 : 0;
  dcb.fOutxCtsFlow = line.OutxCtsFlow() ? 1 : 0;
  dcb.fOutxDsrFlow = (line.flags & LineSettings::kOutxDsrFlow) != 0 ? 1 : 0;
  dcb.fDtrControl = line.DtrControl();
  dcb.fDsrSensitivity = (line.flags & LineSettings::kDsrSensitivity) != 0 ? 1 : 0;
  dcb.fTXContinueOnXoff = (line.flags & LineSettings::kTxContinueOnXoff) != 0 ? 1 : 0;
  dcb.fOutX = line.OutX() ? 1 : 0;
  dcb.fInX = line.InX() ? 1 : 0;
  dcb.fRtsControl = line.RtsControl();
  // SetCommState refuses equal Xon and Xoff characters, which is what a
  // record that never chose Xon/Xoff holds (both 0): the driver's own stay.
  if (line.xonChar != line.xoffChar) {
    dcb.XonChar = line.xonChar;
    dcb.XoffChar = line.xoffChar;
  }
  if (!SetCommState(handle_, &dcb)) {
    Record(PortErrorKind::Settings, GetLastError());
    return false;
  }
  return true;
}

void Win32SerialPort::SetQueuesAndTimeouts(const PortTimeouts& timeouts) {
  timeouts_ = timeouts;
  timeouts_.writeMsPerByte = std::max(0, timeouts.writeMsPerByte);
  timeouts_.writeConstantMs = std::max(0, timeouts.writeConstantMs);
  if (!IsOpen()) return;
  (void)SetupComm(handle_, static_cast<DWORD>(std::max(0, timeouts.inputQueue)),
                  static_cast<DWORD>(std::max(0, timeouts.outputQueue)));
  ApplyTimeouts();
}

void Win32SerialPort::ApplyTimeouts() {
  COMMTIMEOUTS t{};
  // Reads return at once with what is queued.
  t.ReadIntervalTimeout = MAXDWORD;
  if (waitByReading_) {
    // The waiting read asks for one byte and ends with it or after
    // kReadWaitMs.  (Wine leaves a read pending for good under the
    // "MAXDWORD, MAXDWORD, constant" form meant for this.)  Read() never
    // asks for more than is queued, so it still returns at once.
    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutConstant = kReadWaitMs;
  }
  t.WriteTotalTimeoutMultiplier = static_cast<DWORD>(timeouts_.writeMsPerByte);
  t.WriteTotalTimeoutConstant = static_cast<DWORD>(timeouts_.writeConstantMs);
  (void)SetCommTimeouts(handle_, &t);
}

WaitResult Win32SerialPort::WaitReadable(int timeoutMs) {
  if (!IsOpen()) return WaitResult::Failed;
  const bool forever = timeoutMs < 0;
  const Steady::time_point deadline =
      Steady::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
  for (;;) {
    if (woken_.exchange(false)) {
      ResetEvent(wakeEvent_);
      return WaitResult::Woken;
    }
    if (stashPos_ < stashSize_) return WaitResult::Readable;
    DWORD errors = 0;
    COMSTAT status{};
    // Fails once the device is gone (a USB adapter pulled).
    if (!ClearCommError(handle_, &errors, &status)) {
      Record(PortErrorKind::Gone, GetLastError());
      return WaitResult::HungUp;
    }
    if (status.cbInQue > 0) return WaitResult::Readable;
    if (!forever && MsUntil(deadline) == 0) return WaitResult::TimedOut;

    Step step = waitByReading_ ? StartReadWait() : StartCommWait();
    if (step == Step::Again) continue;
    if (step == Step::Readable) return WaitResult::Readable;
    if (step == Step::HungUp) return WaitResult::HungUp;

    const HANDLE handles[2] = {waitByReading_ ? readOverlapped_.hEvent : waitOverlapped_.hEvent,
                               wakeEvent_};
    const DWORD got =
        WaitForMultipleObjects(2, handles, FALSE, forever ? INFINITE : MsUntil(deadline));
    if (got == WAIT_TIMEOUT) return WaitResult::TimedOut;
    if (got == WAIT_OBJECT_0 + 1) {
      // The pending wait or read stays; the next call takes it up again.
      ResetEvent(wakeEvent_);
      continue;
    }
    if (got != WAIT_OBJECT_0) {
      Record(PortErrorKind::Other, GetLastError());
      return WaitResult::Failed;
    }
    step = waitByReading_ ? FinishReadWait() : FinishCommWait();
    if (step == Step::Readable) return WaitResult::Readable;
    if (step == Step::HungUp) return WaitResult::HungUp;
  }
}

Win32SerialPort::Step Win32SerialPort::StartCommWait() {
  if (waitPending_) return Step::Pending;
  // Set again each time: Wake() clears it.
  (void)SetCommMask(handle_, EV_RXCHAR);
  ResetOverlapped(waitOverlapped_);
  eventMask_ = 0;
  wakesAtWait_ = wakes_.load();
  if (WaitCommEvent(handle_, &eventMask_, &waitOverlapped_)) return Step::Again;
  const DWORD code = GetLastError();
  if (code == ERROR_IO_PENDING) {
    waitPending_ = true;
    return Step::Pending;
  }
  if (code == ERROR_OPERATION_ABORTED) {
    // Wine's branch, ended before it was pending, unless a Wake() did it.
    if (wakes_.load() == wakesAtWait_) UseReadWait();
    return Step::Again;
  }
  Record(PortErrorKind::Gone, code);
  return Step::HungUp;
}

Win32SerialPort::Step Win32SerialPort::FinishCommWait() {
  DWORD unused = 0;
  waitPending_ = false;
  // Success: a byte came or the mask was cleared (mask 0); either way the
  // loop looks at the port and the wake flag again.
  if (GetOverlappedResult(handle_, &waitOverlapped_, &unused, FALSE)) return Step::Again;
  const DWORD code = GetLastError();
  if (code == ERROR_OPERATION_ABORTED) {
    // Wine's branch: an abort that no Wake() explains.
    if (wakes_.load() == wakesAtWait_) UseReadWait();
    return Step::Again;
  }
  Record(PortErrorKind::Gone, code);
  return Step::HungUp;
}

void Win32SerialPort::UseReadWait() {
  waitByReading_ = true;
  ApplyTimeouts();
}

Win32SerialPort::Step Win32SerialPort::StartReadWait() {
  if (readPending_) return Step::Pending;
  ResetOverlapped(readOverlapped_);
  DWORD got = 0;
  if (ReadFile(handle_, stash_, 1, &got, &readOverlapped_)) {
    // Done at once: a byte was queued.
    if (!GetOverlappedResult(handle_, &readOverlapped_, &got, TRUE)) got = 0;
    stashSize_ = got;
    stashPos_ = 0;
    return got > 0 ? Step::Readable : Step::Again;
  }
  const DWORD code = GetLastError();
  if (code == ERROR_IO_PENDING) {
    readPending_ = true;
    return Step::Pending;
  }
  if (code == ERROR_TIMEOUT || code == ERROR_SEM_TIMEOUT) return Step::Again;
  Record(PortErrorKind::Gone, code);
  return Step::HungUp;
}

Win32SerialPort::Step Win32SerialPort::FinishReadWait() {
  if (TakePendingRead()) return stashPos_ < stashSize_ ? Step::Readable : Step::Again;
  return Step::HungUp;
}

// Collects a completed pending read into the stash; false when it failed
// for another reason than a cancel.
bool Win32SerialPort::TakePendingRead() {
  DWORD got = 0;
  readPending_ = false;
  if (GetOverlappedResult(handle_, &readOverlapped_, &got, FALSE)) {
    stashSize_ = got;
    stashPos_ = 0;
    return true;
  }
  const DWORD code = GetLastError();
  // Cancelled (purge, close), or no byte within kReadWaitMs: Windows ends
  // such a read with success and 0 bytes, Wine with ERROR_TIMEOUT.
  if (code == ERROR_OPERATION_ABORTED || code == ERROR_TIMEOUT || code == ERROR_SEM_TIMEOUT) {
    stashSize_ = stashPos_ = 0;
    return true;
  }
  Record(PortErrorKind::Gone, code);
  return false;
}

void Win32SerialPort::Wake() {
  woken_.store(true);
  wakes_.fetch_add(1);
  if (wakeEvent_ != nullptr) SetEvent(wakeEvent_);
  // An empty mask ends a pending WaitCommEvent.
  if (IsOpen()) (void)SetCommMask(handle_, 0);
}

long Win32SerialPort::TakeStash(char* buffer, std::size_t size) {
  const std::size_t n = std::min<std::size_t>(size, stashSize_ - stashPos_);
  std::memcpy(buffer, stash_ + stashPos_, n);
  stashPos_ += static_cast<DWORD>(n);
  return static_cast<long>(n);
}

long Win32SerialPort::Read(char* buffer, std::size_t size) {
  if (!IsOpen()) return -1;
  if (readPending_) {
    // Bytes go to the pending read first: reading past it would reorder them.
    if (WaitForSingleObject(readOverlapped_.hEvent, 0) != WAIT_OBJECT_0) return 0;
    if (!TakePendingRead()) return -1;
  }
  if (stashPos_ < stashSize_) return TakeStash(buffer, size);
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_, &errors, &status)) {
    Record(PortErrorKind::Gone, GetLastError());
    return -1;
  }
  if (status.cbInQue == 0 || size == 0) return 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, status.cbInQue));
  ResetOverlapped(ioOverlapped_);
  DWORD got = 0;
  if (!ReadFile(handle_, buffer, wanted, &got, &ioOverlapped_)) {
    const DWORD code = GetLastError();
    // Queued bytes complete at once; waiting for the result does not block.
    if (code != ERROR_IO_PENDING || !GetOverlappedResult(handle_, &ioOverlapped_, &got, TRUE)) {
      Record(PortErrorKind::Gone, code != ERROR_IO_PENDING ? code : GetLastError());
      return -1;
    }
  } else {
    (void)GetOverlappedResult(handle_, &ioOverlapped_, &got, FALSE);
  }
  return static_cast<long>(got);
}

long Win32SerialPort::Write(const char* bytes, std::size_t count) {
  if (!IsOpen()) return -1;
  if (count == 0) return 0;
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
  ResetOverlapped(writeOverlapped_);
  DWORD written = 0;
  if (WriteFile(handle_, bytes, size, &written, &writeOverlapped_)) {
    (void)GetOverlappedResult(handle_, &writeOverlapped_, &written, FALSE);
    return static_cast<long>(written);
  }
  const DWORD code = GetLastError();
  if (code != ERROR_IO_PENDING) {
    Record(PortErrorKind::Gone, code);
    return -1;
  }
  const long long budgetMs = static_cast<long long>(timeouts_.writeMsPerByte) * size +
                             timeouts_.writeConstantMs + kWriteMarginMs;
  const DWORD waitMs = static_cast<DWORD>(std::min<long long>(budgetMs, INFINITE - 1));
  if (WaitForSingleObject(writeOverlapped_.hEvent, waitMs) != WAIT_OBJECT_0) {
    (void)CancelIoEx(handle_, &writeOverlapped_);
  }
  // A write that ran out of time completes with what went out.
  if (!GetOverlappedResult(handle_, &writeOverlapped_, &written, TRUE)) {
    const DWORD failed = GetLastError();
    if (failed != ERROR_OPERATION_ABORTED) Record(PortErrorKind::Gone, failed);
    if (written == 0 && failed != ERROR_OPERATION_ABORTED) return -1;
  }
  return static_cast<long>(written);
}

void Win32SerialPort::PurgeInput() {
  if (!IsOpen()) return;
  (void)PurgeComm(handle_, PURGE_RXCLEAR);
  stashSize_ = stashPos_ = 0;
}

void Win32SerialPort::EndPending(OVERLAPPED& overlapped, bool& pending) {
  if (!pending) return;
  (void)CancelIoEx(handle_, &overlapped);
  DWORD unused = 0;
  (void)GetOverlappedResult(handle_, &overlapped, &unused, TRUE);
  pending = false;
}

void Win32SerialPort::Close() {
  if (!IsOpen()) return;
  (void)SetCommMask(handle_, 0);
  EndPending(waitOverlapped_, waitPending_);
  EndPending(readOverlapped_, readPending_);
  // CloseHandle of a port whose output is held by flow control waits for
  // the driver; send what leaves in time, then drop the rest.
  if (!DrainOutputBounded()) (void)PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
  (void)PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  stashSize_ = stashPos_ = 0;
  waitByReading_ = false;
  woken_.store(false);
  ResetEvent(wakeEvent_);
}

bool Win32SerialPort::DrainOutputBounded() {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_, &errors, &status) || status.cbOutQue == 0) return true;
  const long long budgetMs = std::min<long long>(
      kCloseDrainCapMs, static_cast<long long>(timeouts_.writeMsPerByte) * status.cbOutQue +
                            timeouts_.writeConstantMs);
  const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(budgetMs);
  while (Steady::now() < deadline) {
    Sleep(2);
    if (!ClearCommError(handle_, &errors, &status) || status.cbOutQue == 0) return true;
  }
  return false;
}

}  // namespace tessaro
