#include "link/Rfc2217SerialPort.h"

#include <chrono>
#include <cstdio>
#include <initializer_list>

namespace tessaro {

namespace {

using Codec = TelnetCodec;

// Com-port values of RFC 2217.
constexpr std::uint8_t kParityNone = 1;
constexpr std::uint8_t kParityOdd = 2;
constexpr std::uint8_t kParityEven = 3;
constexpr std::uint8_t kStopOne = 1;
constexpr std::uint8_t kStopTwo = 2;
constexpr std::uint8_t kFlowNone = 1;
constexpr std::uint8_t kFlowXonXoff = 2;
constexpr std::uint8_t kFlowHardware = 3;
constexpr std::uint8_t kDtrOn = 8;
constexpr std::uint8_t kDtrOff = 9;
constexpr std::uint8_t kRtsOn = 11;
constexpr std::uint8_t kRtsOff = 12;
constexpr std::uint8_t kPurgeReceived = 1;

constexpr int kReplySendMs = 1000;
constexpr std::size_t kPurgeLimit = std::size_t{64} * 1024;

std::uint8_t ParityCode(std::uint8_t parity) {
  return parity == kOddParity ? kParityOdd : parity == kEvenParity ? kParityEven : kParityNone;
}

std::uint8_t FlowCode(const LineSettings& line) {
  if (line.OutxCtsFlow() || line.RtsControl() == kRtsControlHandshake) return kFlowHardware;
  if (line.OutX() || line.InX()) return kFlowXonXoff;
  return kFlowNone;
}

}  // namespace

bool Rfc2217SerialPort::FlushLocked() {
  if (codec_.PendingSize() == 0) return true;
  bool sent = false;
  {
    std::scoped_lock lock(sendLock_);
    sent = socket_.Send(reinterpret_cast<const char*>(codec_.Pending()), codec_.PendingSize(),
                        kReplySendMs);
  }
  codec_.ClearPending();
  return sent;
}

long Rfc2217SerialPort::ReceiveLocked(char* buffer, std::size_t size) {
  const long n = socket_.Receive(buffer, size);
  if (n <= 0) return n;
  auto* bytes = reinterpret_cast<std::uint8_t*>(buffer);
  const std::size_t data = codec_.Feed(bytes, static_cast<std::size_t>(n), bytes);
  if (!FlushLocked()) return -1;
  return static_cast<long>(data);
}

template <typename Done>
Rfc2217SerialPort::Awaited Rfc2217SerialPort::AwaitLocked(Done done, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  char sink[256];
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Awaited::TimedOut;
    const WaitResult waited = socket_.WaitReadable(static_cast<int>(left.count()) + 1);
    if (waited == WaitResult::HungUp || waited == WaitResult::Failed) return Awaited::Lost;
    if (waited == WaitResult::Readable && ReceiveLocked(sink, sizeof sink) < 0) {
      return Awaited::Lost;
    }
  }
  return Awaited::Done;
}

bool Rfc2217SerialPort::Greet(bool& refused) {
  refused = false;
  std::scoped_lock lock(codecLock_);
  codec_.Reset();
  codec_.Start();
  if (!FlushLocked()) return false;
  const Awaited settled =
      AwaitLocked([this] { return codec_.ComPortAgreed() || codec_.ComPortRefused(); }, kAnswerMs);
  if (settled == Awaited::Lost) return false;  // turned away: tried again
  refused = true;
  if (codec_.ComPortRefused()) {
    Fail(PortErrorKind::NotSerial, "the server refused the com-port option (no RFC 2217 there)");
    return false;
  }
  if (settled == Awaited::TimedOut) {
    Fail(PortErrorKind::NotSerial, "the server did not agree to the com-port option in time");
    return false;
  }
  // A server whose device is in use may agree to the option and close only
  // then: the connection holds once the server answers a question about the
  // line (the baud rate; 0 asks without setting it).  A server that leaves
  // the question unanswered is taken as it is.
  codec_.ForgetAnswers();
  refused = false;  // a connection lost from here on was turned away: tried again
  if (!codec_.QueueBaudRate(0) || !FlushLocked()) return false;
  const Awaited answered = AwaitLocked(
      [this] { return Codec::Answered(codec_.LastAnswers(), Codec::kSetBaudRate); }, kAnswerMs);
  return answered != Awaited::Lost;
}

bool Rfc2217SerialPort::ApplyLineSettings(const LineSettings& line) {
  if (!IsOpen()) return false;
  note_[0] = '\0';
  std::scoped_lock lock(codecLock_);
  const std::uint8_t parity = ParityCode(line.parity);
  const std::uint8_t stop = line.stopBits == kOneStopBit ? kStopOne : kStopTwo;
  codec_.ForgetAnswers();
  codec_.QueueBaudRate(line.baudRate);
  codec_.QueueComPort(Codec::kSetDataSize, line.byteSize);
  codec_.QueueComPort(Codec::kSetParity, parity);
  codec_.QueueComPort(Codec::kSetStopSize, stop);
  codec_.QueueComPort(Codec::kSetControl, FlowCode(line));
  codec_.QueueComPort(Codec::kSetControl,
                      line.DtrControl() != kDtrControlDisable ? kDtrOn : kDtrOff);
  if (line.RtsControl() != kRtsControlHandshake) {
    codec_.QueueComPort(Codec::kSetControl,
                        line.RtsControl() == kRtsControlEnable ? kRtsOn : kRtsOff);
  }
  if (!FlushLocked()) {
    Fail(PortErrorKind::Gone, "the connection to the device server failed");
    return false;
  }
  const auto all = [this] {
    const Codec::Answers& a = codec_.LastAnswers();
    for (const std::uint8_t command : {Codec::kSetBaudRate, Codec::kSetDataSize, Codec::kSetParity,
                                       Codec::kSetStopSize, Codec::kSetControl}) {
      if (!Codec::Answered(a, command)) return false;
    }
    return true;
  };
  if (AwaitLocked(all, kAnswerMs) == Awaited::Lost) {
    Fail(PortErrorKind::Gone, "the device server closed the connection");
    return false;
  }
  return CheckAnswers(line, parity, stop);
}

// A missing answer is noted only: the server may simply be slow to confirm.
bool Rfc2217SerialPort::CheckAnswers(const LineSettings& line, std::uint8_t parity,
                                     std::uint8_t stop) {
  const Codec::Answers& a = codec_.LastAnswers();
  char text[sizeof error_.text];
  text[0] = '\0';
  if (Codec::Answered(a, Codec::kSetBaudRate) && a.baudRate != line.baudRate) {
    std::snprintf(text, sizeof text, "the device server set %u bps instead of %u bps",
                  static_cast<unsigned>(a.baudRate), static_cast<unsigned>(line.baudRate));
  } else if (Codec::Answered(a, Codec::kSetDataSize) && a.dataSize != line.byteSize) {
    std::snprintf(text, sizeof text, "the device server set %u data bits instead of %u",
                  static_cast<unsigned>(a.dataSize), static_cast<unsigned>(line.byteSize));
  } else if (Codec::Answered(a, Codec::kSetParity) && a.parity != parity) {
    std::snprintf(text, sizeof text, "the device server set parity %u instead of %u",
                  static_cast<unsigned>(a.parity), static_cast<unsigned>(parity));
  } else if (Codec::Answered(a, Codec::kSetStopSize) && a.stopSize != stop) {
    std::snprintf(text, sizeof text, "the device server set stop size %u instead of %u",
                  static_cast<unsigned>(a.stopSize), static_cast<unsigned>(stop));
  }
  if (text[0] != '\0') {
    Fail(PortErrorKind::Settings, text);
    SetNote(text);
    return false;
  }
  if (!Codec::Answered(a, Codec::kSetBaudRate)) {
    SetNote("the device server did not confirm the line settings");
  }
  return true;
}

long Rfc2217SerialPort::Read(char* buffer, std::size_t size) {
  std::scoped_lock lock(codecLock_);
  return ReceiveLocked(buffer, size);
}

long Rfc2217SerialPort::Write(const char* bytes, std::size_t count) {
  const int budget = WriteBudgetMs(count);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(budget);
  // Escaped a piece at a time into a fixed buffer: no allocation per write.
  std::uint8_t escaped[512];
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes);
  std::size_t done = 0;
  std::scoped_lock lock(sendLock_);
  while (done < count) {
    std::size_t used = 0;
    const std::size_t n = Codec::Escape(in + done, count - done, escaped, sizeof escaped, used);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!socket_.Send(reinterpret_cast<const char*>(escaped), n,
                      static_cast<int>(left.count() > 0 ? left.count() : 0))) {
      Fail(PortErrorKind::Gone, "the connection to the device server failed");
      return done > 0 ? static_cast<long>(done) : -1;
    }
    done += used;
  }
  return static_cast<long>(count);
}

// Drops what has come in here, and asks the server to drop what it holds
// from the far line.
void Rfc2217SerialPort::PurgeInput() {
  std::scoped_lock lock(codecLock_);
  if (!IsOpen()) return;
  char sink[512];
  std::size_t dropped = 0;
  while (dropped < kPurgeLimit) {
    const long n = socket_.Receive(sink, sizeof sink);
    if (n <= 0) break;
    auto* bytes = reinterpret_cast<std::uint8_t*>(sink);
    (void)codec_.Feed(bytes, static_cast<std::size_t>(n), bytes);
    dropped += static_cast<std::size_t>(n);
  }
  codec_.QueueComPort(Codec::kPurgeData, kPurgeReceived);
  (void)FlushLocked();
}

}  // namespace tessaro
