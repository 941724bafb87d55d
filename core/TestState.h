#pragma once

#include <cstdint>

#include "core/StationNumbers.h"

namespace tessaro {

// The link test's two modes: ACTIVE sends numbered packets and counts the
// echoes; PASSIVE counts and echoes what the terminals send.
enum class LinkMode : std::int32_t { Passive = 0, Active = 1 };
inline constexpr LinkMode kPassive = LinkMode::Passive;
inline constexpr LinkMode kActive = LinkMode::Active;

// Whether an ACTIVE test runs (the run button shows STOP).
enum class TestRun : std::int32_t { Stopped = 0, Running = 1 };

// What a terminal's last packet is waiting for.  Every state but kIdle is
// supervised: it counts NG once the reply is overdue.
enum class ReplyState : std::int32_t {
  kIdle = 0,      // answered, or nothing sent yet
  kAwaiting = 1,  // a packet or echo is out, or the base reported it delivered
  kRefused = 2,   // the base reported "@NG" for it
  kHeld = 3,      // the base reported "@WT": it waits for the terminal
};

// Texts of the mode button (by LinkMode) and the run button (by TestRun).
inline constexpr const char* kModeButtonTexts[2] = {"PASSIVE", "ACTIVE"};
inline constexpr const char* kRunButtonTexts[2] = {"START", "STOP"};
inline constexpr const char* ModeButtonText(LinkMode mode) {
  return kModeButtonTexts[mode == LinkMode::Active ? 1 : 0];
}
inline constexpr const char* RunButtonText(TestRun run) {
  return kRunButtonTexts[run == TestRun::Running ? 1 : 0];
}

// Per-terminal statistics of the RF link test, indexed by terminal number
// 1..99 (slot 0 unused).  They belong to the terminal number, whatever base
// lists it.
struct TerminalStats {
  std::int32_t started[kMaxTerminal + 1] = {};
  ReplyState state[kMaxTerminal + 1] = {};
  std::int32_t sdReCount[kMaxTerminal + 1] = {};
  std::int32_t okDpCount[kMaxTerminal + 1] = {};
  std::int32_t ngCount[kMaxTerminal + 1] = {};
  std::uint32_t sendTick[kMaxTerminal + 1] = {};
  std::int32_t replyTime[kMaxTerminal + 1] = {};
  // 64 bits: a 32-bit sum of reply times wraps after a long run.
  std::int64_t replyTimeSum[kMaxTerminal + 1] = {};
  std::int32_t average[kMaxTerminal + 1] = {};
  std::int32_t sequence[kMaxTerminal + 1] = {};
  // The divisor of `average` (the OK count in ACTIVE mode, the RE count in
  // PASSIVE mode) counted without the display wrap.  It equals the shown
  // count until that count wraps from 99998 to 1; from then on it keeps
  // `average` the mean over the whole run instead of a long run's sum divided
  // by a count that started again.
  std::int64_t replyCount[kMaxTerminal + 1] = {};
};

// The link test's flags and the view's counters, as the message dispatch
// reads and writes them (linktest/TestState.h adds the run's statistics).
// The flags are written only on the window thread, under the engine lock.
struct LinkTestRecord {
  LinkMode linkMode = LinkMode::Active;
  TestRun testRun = TestRun::Stopped;
  bool Running() const { return testRun == TestRun::Running; }
  TerminalStats stats;
};

// Settings of the link test.
struct TestCriteria {
  std::int32_t dataLength = 15;
  std::int32_t retransmits = 3;
  std::int32_t timeoutSeconds = 2;
};

}  // namespace tessaro
