#pragma once

// Thread-safe recorders for tests in which the reader thread calls in while
// the test thread looks: a display, a byte sink and a message sink, each
// with waits that poll a condition up to a generous deadline.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "core/Display.h"
#include "link/FrameAssembler.h"
#include "link/PortSession.h"

namespace tessaro::testing {

inline constexpr std::chrono::seconds kGenerous{20};

class LockedDisplay : public Display {
 public:
  using Clock = std::chrono::steady_clock;

  void SetPaneText(int pane, const char* text) override {
    std::scoped_lock lock(m_);
    panes_[pane] = text;
    paneWrites_.push_back(std::to_string(pane) + ":" + text);
    lastPaneWrite_ = Clock::now();
    changed_.notify_all();
  }
  void InvalidateTopology() override {}
  void InvalidateView() override {
    std::scoped_lock lock(m_);
    ++viewInvalidations_;
  }
  void ShowMessage(const char* text, const char* caption, MessageIcon) override {
    std::scoped_lock lock(m_);
    messages_.push_back(std::string(caption) + ": " + text);
  }
  void SetButtons(const ButtonState&) override {}
  void SetSupervisionTimer(bool) override {}

  std::string Pane(int pane) {
    std::scoped_lock lock(m_);
    return panes_[pane];
  }
  std::vector<std::string> PaneWrites() {
    std::scoped_lock lock(m_);
    return paneWrites_;
  }
  std::vector<std::string> Messages() {
    std::scoped_lock lock(m_);
    return messages_;
  }
  int ViewInvalidations() {
    std::scoped_lock lock(m_);
    return viewInvalidations_;
  }
  Clock::time_point LastPaneWrite() {
    std::scoped_lock lock(m_);
    return lastPaneWrite_;
  }
  void Clear() {
    std::scoped_lock lock(m_);
    paneWrites_.clear();
    messages_.clear();
    viewInvalidations_ = 0;
  }
  bool WaitForPane(int pane, const std::string& text) {
    std::unique_lock lock(m_);
    return changed_.wait_for(lock, kGenerous, [&] { return panes_[pane] == text; });
  }

 private:
  std::mutex m_;
  std::condition_variable changed_;
  std::string panes_[3];
  std::vector<std::string> paneWrites_;
  std::vector<std::string> messages_;
  int viewInvalidations_ = 0;
  Clock::time_point lastPaneWrite_{};
};

// Records every chunk and cuts it into messages with the real assembler, as
// the engine does.
class MessageSink : public ByteSink, private FrameSink {
 public:
  void OnBytes(const char* bytes, std::size_t count) override {
    std::scoped_lock lock(m_);
    bytes_.append(bytes, count);
    ++chunks_;
    assembler_.Feed(bytes, count);
    changed_.notify_all();
  }
  std::vector<std::string> Messages() {
    std::scoped_lock lock(m_);
    return messages_;
  }
  std::string Bytes() {
    std::scoped_lock lock(m_);
    return bytes_;
  }
  int Chunks() {
    std::scoped_lock lock(m_);
    return chunks_;
  }
  bool WaitForBytes(std::size_t count) {
    std::unique_lock lock(m_);
    return changed_.wait_for(lock, kGenerous, [&] { return bytes_.size() >= count; });
  }
  bool WaitForMessages(std::size_t count) {
    std::unique_lock lock(m_);
    return changed_.wait_for(lock, kGenerous, [&] { return messages_.size() >= count; });
  }

 private:
  void OnFrame(const char* message, std::size_t length) override {
    messages_.emplace_back(message, length);
  }

  std::mutex m_;
  std::condition_variable changed_;
  std::string bytes_;
  int chunks_ = 0;
  std::vector<std::string> messages_;
  FrameAssembler assembler_{*this};
};

}  // namespace tessaro::testing
