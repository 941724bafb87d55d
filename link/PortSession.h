#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include "core/Display.h"
#include "core/PortWriter.h"
#include "link/PortSettings.h"
#include "link/SerialPort.h"

namespace tessaro {

// Receives every chunk of bytes the reader thread takes from the port, on
// the reader thread.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void OnBytes(const char* bytes, std::size_t count) = 0;
  // The device went away (after the last bytes it left were delivered).
  // Reader thread; once per session.
  virtual void OnLinkLost() {}
  // Nothing arrived for a second.  Reader thread.
  virtual void OnQuiet() {}
};

// Pane-0 text shown when the device goes away while the session is open.
inline constexpr const char* kLinkLostText =
    "Link lost: the serial device went away. Close and open the port again.";

// The open serial port with its reader thread.  The port counts as open
// exactly when the session holds it.
class PortSession final : public PortWriter {
 public:
  // The pause at the end of each open that lets the base settle before the
  // first command.
  static constexpr std::chrono::milliseconds kOpenPause{200};

  // `openPause` other than kOpenPause is for tests that open and close many
  // times.
  PortSession(SerialPort& port, ByteSink& sink, Display& display,
              std::chrono::milliseconds openPause = kOpenPause);
  ~PortSession() override;
  PortSession(const PortSession&) = delete;
  PortSession& operator=(const PortSession&) = delete;

  // Opens the port named by `settings` with their line settings, starts the
  // reader thread, shows the port in pane 2 and pauses 200 ms.  Returns 1 when
  // open, 0 after showing the failure (caption "Error").  Window thread; not
  // under the engine lock.
  int OpenPort(const PortSettings& settings);

  // After a lost link: lets the dead device go and opens the same one again
  // with the same line settings, without a message box.  true when the
  // session is live again (pane 0 cleared); false leaves it lost, to be
  // tried again or closed.  Window thread; not under the engine lock.
  bool Reopen(const PortSettings& settings);

  // Stops and joins the reader thread, releases the port and blanks the three
  // panes.  Never call it with the engine lock held: a dispatch may wait for it.
  void ClosePort();

  bool IsOpen() const { return open_.load(std::memory_order_acquire); }

  // Why the last OpenPort could not open the device (empty after a
  // successful open or a refusal of the settings).  Window thread.
  const OpenFailure& LastOpenFailure() const { return failure_; }

  // True once the device went away in this session (pane 0 says so); the
  // reader then waits for ClosePort only.  Cleared by the next open.
  bool LinkLost() const { return linkLost_.load(std::memory_order_acquire); }
  // When the link was lost; meaningful once LinkLost() is true.
  std::chrono::steady_clock::time_point LinkLostAt() const {
    return std::chrono::steady_clock::time_point(
        std::chrono::steady_clock::duration(linkLostAt_.load(std::memory_order_acquire)));
  }

  // Writes to the open port; nothing happens when it is closed or the link
  // is lost.
  void Write(const char* bytes, std::size_t count) override;

  // The session's line-settings record, kept from one open to the next.
  const LineSettings& Line() const { return line_; }

 private:
  void ReaderLoop();
  void ReadQueued(char* buffer, std::size_t size);
  void WaitForStop(std::chrono::milliseconds atMost);
  void StopReader();
  void ReleasePort();

  SerialPort& port_;
  ByteSink& sink_;
  Display& display_;
  const std::chrono::milliseconds openPause_;
  LineSettings line_{};
  OpenFailure failure_{};
  std::thread reader_;
  std::atomic<bool> readerRunning_{false};
  std::atomic<bool> open_{false};
  std::atomic<bool> linkLost_{false};
  std::atomic<std::chrono::steady_clock::rep> linkLostAt_{0};
  // Lets a reader that can no longer wait on the port sleep until the stop.
  std::mutex stopMutex_;
  std::condition_variable stopSignal_;
};

}  // namespace tessaro
