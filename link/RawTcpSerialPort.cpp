#include "link/RawTcpSerialPort.h"

namespace tessaro {

namespace {

// A server that turns a connection away closes it at once; a welcome
// connection stays.  This long is watched.
constexpr int kSettleMs = 30;
// PurgeInput drops at most this much, so that a flood cannot hold it.
constexpr std::size_t kPurgeLimit = std::size_t{64} * 1024;

}  // namespace

bool RawTcpSerialPort::Greet(bool& refused) {
  refused = false;
  return !socket_.ClosedWithin(kSettleMs);
}

bool RawTcpSerialPort::ApplyLineSettings(const LineSettings&) {
  if (!IsOpen()) return false;
  SetNote(kNoSettingsNote);
  return true;
}

long RawTcpSerialPort::Read(char* buffer, std::size_t size) {
  return socket_.Receive(buffer, size);
}

long RawTcpSerialPort::Write(const char* bytes, std::size_t count) {
  std::scoped_lock lock(sendLock_);
  if (!socket_.Send(bytes, count, WriteBudgetMs(count))) {
    Fail(PortErrorKind::Gone, "the connection to the device server failed");
    return -1;
  }
  return static_cast<long>(count);
}

void RawTcpSerialPort::PurgeInput() {
  char sink[512];
  std::size_t dropped = 0;
  while (dropped < kPurgeLimit) {
    const long n = socket_.Receive(sink, sizeof sink);
    if (n <= 0) return;
    dropped += static_cast<std::size_t>(n);
  }
}

}  // namespace tessaro
