#include "link/PortSession.h"

#include <cstdio>
#include <system_error>

#include "link/ThreadPriority.h"

namespace tessaro {

namespace {

constexpr const char* kCaption = "Error";
constexpr std::size_t kReceiveBufferSize = 100;
constexpr int kStatusTextSize = 64;
// After a failed wait the reader tries again after this long, so that a
// port whose wait keeps failing cannot make it spin.
constexpr std::chrono::milliseconds kFailedWaitBackoff{50};
// How long the reader waits for bytes before it tells the sink the line is quiet.
constexpr int kQuietMs = 1000;

}  // namespace

PortSession::PortSession(SerialPort& port, ByteSink& sink, Display& display,
                         std::chrono::milliseconds openPause)
    : port_(port), sink_(sink), display_(display), openPause_(openPause) {}

PortSession::~PortSession() {
  // The display may be gone at this point: release without touching panes.
  StopReader();
  ReleasePort();
}

int PortSession::OpenPort(const PortSettings& settings) {
  if (IsOpen()) return 1;
  failure_ = OpenFailure{};
  if (!port_.Open(PortNameOf(settings))) {
    failure_ = port_.LastOpenFailure();
    // A port that names no reason of its own has at least the system's.
    const PortError error = port_.LastError();
    if (!failure_.Known() && error.kind != PortErrorKind::None) {
      failure_.error = error.code;
      CopyField(failure_.path, sizeof failure_.path, PortNameOf(settings));
      CopyField(failure_.reason, sizeof failure_.reason, error.text);
    }
    char details[sizeof failure_.path + sizeof failure_.reason + sizeof failure_.hint + 32];
    FormatOpenFailure(failure_, details, sizeof details);
    display_.ShowMessageWithDetails("Can't open the COM port!", kCaption, MessageIcon::Warning,
                                    details);
    return 0;
  }
  open_.store(true, std::memory_order_release);
  port_.SetQueuesAndTimeouts(PortTimeouts{});

  ApplyPortSettings(settings, line_);
  if (!port_.ApplyLineSettings(line_)) {
    // The reason (a device server that set another rate, say) on request.
    char details[sizeof PortError{}.text + 16];
    std::snprintf(details, sizeof details, "Reason: %s", port_.LastError().text);
    display_.ShowMessageWithDetails("Error on setting communication state", kCaption,
                                    MessageIcon::Warning,
                                    port_.LastError().text[0] != '\0' ? details : "");
    ReleasePort();
    return 0;
  }
  // Bytes that arrived while the line was still cooked or at another rate.
  port_.PurgeInput();

  linkLost_.store(false, std::memory_order_release);
  readerRunning_.store(true, std::memory_order_release);
  bool started = true;
  try {
    reader_ = std::thread([this] { ReaderLoop(); });
  } catch (const std::system_error&) {
    started = false;
  }
  if (!started) {
    readerRunning_.store(false, std::memory_order_release);
    display_.ShowMessage("Can't create a reading thread!", kCaption, MessageIcon::Warning);
    ReleasePort();
    return 0;
  }

  display_.InvalidateView();
  char status[kStatusTextSize];
  FormatPortStatus(settings, status, kStatusTextSize);
  display_.SetPaneText(2, status);

  // Sleeps rather than spins; no window messages are handled meanwhile.
  const auto until = std::chrono::steady_clock::now() + openPause_;
  while (std::chrono::steady_clock::now() < until) std::this_thread::sleep_until(until);
  return 1;
}

bool PortSession::Reopen(const PortSettings& settings) {
  if (!IsOpen()) return false;
  if (!LinkLost()) return true;
  StopReader();
  port_.Close();
  if (!port_.Open(PortNameOf(settings))) return false;
  port_.SetQueuesAndTimeouts(PortTimeouts{});
  if (!port_.ApplyLineSettings(line_)) {
    port_.Close();
    return false;
  }
  port_.PurgeInput();
  linkLost_.store(false, std::memory_order_release);
  readerRunning_.store(true, std::memory_order_release);
  try {
    reader_ = std::thread([this] { ReaderLoop(); });
  } catch (const std::system_error&) {
    readerRunning_.store(false, std::memory_order_release);
    linkLost_.store(true, std::memory_order_release);
    port_.Close();
    return false;
  }
  display_.SetPaneText(0, "  ");
  return true;
}

void PortSession::ClosePort() {
  StopReader();
  ReleasePort();
  display_.SetPaneText(0, "  ");
  display_.SetPaneText(1, "  ");
  display_.SetPaneText(2, "  ");
}

void PortSession::StopReader() {
  {
    std::scoped_lock lock(stopMutex_);
    readerRunning_.store(false, std::memory_order_release);
  }
  stopSignal_.notify_all();
  if (!reader_.joinable()) return;
  port_.Wake();
  reader_.join();
}

void PortSession::ReleasePort() {
  if (!open_.load(std::memory_order_acquire)) return;
  port_.Close();
  open_.store(false, std::memory_order_release);
}

void PortSession::Write(const char* bytes, std::size_t count) {
  if (IsOpen() && !LinkLost()) port_.Write(bytes, count);
}

void PortSession::ReaderLoop() {
  RaiseCurrentThreadPriority();
  char buffer[kReceiveBufferSize];
  while (readerRunning_.load(std::memory_order_acquire)) {
    switch (port_.WaitReadable(kQuietMs)) {
      case WaitResult::Readable:
        ReadQueued(buffer, sizeof buffer);
        break;
      case WaitResult::HungUp:
        // Whatever the device left behind, then nothing more can come: a
        // hung-up tty keeps reporting itself ready, so the port is not waited
        // on again.
        ReadQueued(buffer, sizeof buffer);
        linkLostAt_.store(std::chrono::steady_clock::now().time_since_epoch().count(),
                          std::memory_order_release);
        linkLost_.store(true, std::memory_order_release);
        display_.SetPaneText(0, kLinkLostText);
        sink_.OnLinkLost();
        WaitForStop(std::chrono::milliseconds::max());
        break;
      case WaitResult::Failed:
        WaitForStop(kFailedWaitBackoff);
        break;
      case WaitResult::TimedOut:
        sink_.OnQuiet();
        break;
      case WaitResult::Woken:
        break;
    }
  }
  port_.PurgeInput();
}

// Takes what is queued, 100 bytes at a time; a short read means the queue
// is empty.  The stop is looked at between reads so that a flood cannot keep
// ClosePort waiting.
void PortSession::ReadQueued(char* buffer, std::size_t size) {
  while (readerRunning_.load(std::memory_order_acquire)) {
    const long n = port_.Read(buffer, size);
    if (n <= 0) return;
    sink_.OnBytes(buffer, static_cast<std::size_t>(n));
    if (static_cast<std::size_t>(n) < size) return;
  }
}

void PortSession::WaitForStop(std::chrono::milliseconds atMost) {
  std::unique_lock lock(stopMutex_);
  const auto stopped = [this] { return !readerRunning_.load(std::memory_order_acquire); };
  if (atMost == std::chrono::milliseconds::max()) {
    stopSignal_.wait(lock, stopped);
  } else {
    stopSignal_.wait_for(lock, atMost, stopped);
  }
}

}  // namespace tessaro
