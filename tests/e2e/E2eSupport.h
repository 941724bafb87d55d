#pragma once

// The engine on a real pseudo-terminal with the simulator at the far end, and
// the waits the end-to-end tests share.  Waits poll a condition up to a
// generous deadline; no test passes or fails on how long something took.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/NativeSerialPort.h"
#include "link/PathPort.h"
#include "sim/Simulator.h"
#include "support/EngineTestAccess.h"
#include "tools/linktest/Runner.h"

namespace tessaro::e2e {

inline constexpr std::chrono::seconds kGenerous{30};

// Polls `condition` every 20 ms until it holds or the deadline passes.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = kGenerous) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// A display that the reader thread and the test thread share.
class SharedDisplay final : public Display {
 public:
  void SetPaneText(int pane, const char* text) override {
    std::scoped_lock lock(m_);
    if (pane == 0) pane0_ = text;
  }
  std::string Pane0() {
    std::scoped_lock lock(m_);
    return pane0_;
  }
  void ShowCounter(int, Counter, std::int32_t, int) override {
    std::scoped_lock lock(m_);
    ++cells_;
  }
  void ShowBaseProperty(int, BaseProperty, char) override {
    std::scoped_lock lock(m_);
    ++cells_;
  }
  void InvalidateTopology() override {}
  void InvalidateView() override {}
  void ShowMessage(const char* text, const char* caption, MessageIcon) override {
    std::scoped_lock lock(m_);
    messages_.push_back(std::string(caption) + ": " + text);
  }
  void SetButtons(const ButtonState& state) override {
    std::scoped_lock lock(m_);
    buttons_ = state;
  }
  void SetSupervisionTimer(bool running) override {
    std::scoped_lock lock(m_);
    timer_ = running;
  }

  bool TimerRunning() {
    std::scoped_lock lock(m_);
    return timer_;
  }
  ButtonState Buttons() {
    std::scoped_lock lock(m_);
    return buttons_;
  }
  std::vector<std::string> Messages() {
    std::scoped_lock lock(m_);
    return messages_;
  }

 private:
  std::mutex m_;
  int cells_ = 0;
  bool timer_ = false;
  ButtonState buttons_;
  std::vector<std::string> messages_;
  std::string pane0_;
};

// One scenario's bases, each with its terminals; base 1 is attached.
inline sim::Scenario Network(const std::vector<std::vector<int>>& terminalsPerBase) {
  sim::Scenario s;
  int number = 1;
  for (const std::vector<int>& terminals : terminalsPerBase) {
    sim::BaseSetup base;
    base.number = number;
    base.mode = number == 1 ? '3' : '2';
    base.terminals = terminals;
    s.bases.push_back(base);
    ++number;
  }
  s.attachedBase = 1;
  return s;
}

class EngineOnSimulator : public ::testing::Test {
 protected:
  ~EngineOnSimulator() override {
    if (engine) engine->ShutDown();
  }

  // Starts the simulator and an engine whose port opens the simulator's line.
  void Start(const sim::Scenario& scenario) {
    simulator = std::make_unique<sim::Simulator>(scenario);
    std::string error;
    ASSERT_TRUE(simulator->Start(&error)) << error;
    port = std::make_unique<PathPort>(*native, simulator->SlavePath());
    engine = std::make_unique<Engine>(display, clock, *port);
  }

  // Open as the window does, then wait until `terminals` terminals are listed.
  void OpenAndDiscover(int terminals) {
    ASSERT_TRUE(engine->Open());
    ASSERT_TRUE(WaitFor([&] {
      std::scoped_lock lock(EngineTestAccess::Lock(*engine));
      return EngineTestAccess::Registry(*engine).FirstPresentBase() != 0;
    }));
    engine->QueryTerminals();
    ASSERT_TRUE(WaitFor([&] { return ListedTerminals() == terminals; }))
        << ListedTerminals() << " terminals listed";
  }

  int ListedTerminals() {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    int n = 0;
    for (int b = 1; b <= kMaxBase; ++b) {
      if (!EngineTestAccess::Registry(*engine).rows[b].present) continue;
      for (int t = 1; t <= kMaxTerminal; ++t)
        n += EngineTestAccess::Registry(*engine).rows[b].terminal[t];
    }
    return n;
  }

  // Lets the test run for `ms`, ticking every 500 ms while the timer runs, as
  // the window's timer does.  `each` runs after every tick.
  void Run(int ms, const std::function<void()>& each = {}) {
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    while (next - start < std::chrono::milliseconds(ms)) {
      next += std::chrono::milliseconds(500);
      std::this_thread::sleep_until(next);
      if (display.TimerRunning()) engine->SuperviseTick();
      if (each) each();
    }
  }

  TerminalStats Stats() {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    return EngineTestAccess::Test(*engine).stats;
  }

  SharedDisplay display;
  SteadyClock clock;
  std::unique_ptr<SerialPort> native = MakeNativeSerialPort();
  std::unique_ptr<sim::Simulator> simulator;
  std::unique_ptr<PathPort> port;
  std::unique_ptr<Engine> engine;
};

}  // namespace tessaro::e2e
