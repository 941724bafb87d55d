#include "link/SocketSerialPort.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace tessaro {

namespace {

constexpr std::chrono::milliseconds kBusyPause{20};

const char* HintFor(ConnectFailure failure) {
  switch (failure) {
    case ConnectFailure::NameNotFound:
      return "Check the host name of the device server.";
    case ConnectFailure::Refused:
      return "Nothing listens on that port: check the port number and that the device server "
             "runs.";
    case ConnectFailure::Unreachable:
      return "The network has no route to the device server.";
    case ConnectFailure::TimedOut:
      return "The device server did not answer: check the address and any firewall between.";
    default:
      return "";
  }
}

}  // namespace

const char* ConnectFailureText(ConnectFailure failure) {
  switch (failure) {
    case ConnectFailure::None:
      return "connected";
    case ConnectFailure::NameNotFound:
      return "host name not found";
    case ConnectFailure::Refused:
      return "connection refused";
    case ConnectFailure::Unreachable:
      return "host unreachable";
    case ConnectFailure::TimedOut:
      return "connect timed out";
    case ConnectFailure::Other:
      break;
  }
  return "connect failed";
}

bool SocketSerialPort::FailOpen(const char* name, const char* reason, const char* hint, int code) {
  failure_.error = code;
  CopyField(failure_.path, sizeof failure_.path, name);
  CopyField(failure_.reason, sizeof failure_.reason, reason);
  CopyField(failure_.hint, sizeof failure_.hint, hint);
  return false;
}

bool SocketSerialPort::Open(const char* name) {
  failure_ = OpenFailure{};
  error_ = PortError{};
  note_[0] = '\0';
  if (IsOpen()) {
    Fail(PortErrorKind::Busy, "the port is open already");
    return FailOpen(name, error_.text, "", 0);
  }
  const NetworkPortName where = ParseNetworkPortName(name);
  if (where.scheme != Scheme() || !where.valid) {
    Fail(PortErrorKind::NotFound, "not a network port name");
    return FailOpen(name, error_.text, "Write it as rfc2217://HOST:PORT or tcp://HOST:PORT.", 0);
  }
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyRetryMs);
  for (;;) {
    if (!socket_.Connect(where.host, where.service, kConnectTimeoutMs)) {
      error_ = socket_.Error();
      return FailOpen(name, error_.text, HintFor(socket_.Failure()), error_.code);
    }
    bool refused = false;
    if (Greet(refused)) return true;
    socket_.Close();
    if (refused) return FailOpen(name, error_.text, "", 0);
    if (std::chrono::steady_clock::now() >= giveUp) {
      Fail(PortErrorKind::Busy, "the device server closed the connection (its device is in use)");
      return FailOpen(name, error_.text, "Another client may hold the device server's port.", 0);
    }
    std::this_thread::sleep_for(kBusyPause);
  }
}

int SocketSerialPort::WriteBudgetMs(std::size_t count) const {
  const long long ms =
      static_cast<long long>(timeouts_.writeMsPerByte) * static_cast<long long>(count) +
      timeouts_.writeConstantMs;
  return static_cast<int>(ms > 60000 ? 60000 : ms < 0 ? 0 : ms);
}

void SocketSerialPort::Fail(PortErrorKind kind, const char* text) {
  error_ = PortError{};
  error_.kind = kind;
  CopyField(error_.text, sizeof error_.text, text);
}

void SocketSerialPort::SetNote(const char* text) {
  CopyField(note_, sizeof note_, text);
}

}  // namespace tessaro
