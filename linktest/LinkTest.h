#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Clock.h"
#include "core/Display.h"
#include "core/PortWriter.h"
#include "linktest/TestState.h"
#include "protocol/LinkTestEntries.h"
#include "protocol/StationRegistry.h"
#include "protocol/TestPacketBuffer.h"

namespace tessaro {

// Told of each time-out the supervision tick counts, before the packet that
// follows it leaves (the engine notes them in a line trace).
class TimeOutWatcher {
 public:
  virtual ~TimeOutWatcher() = default;
  virtual void OnTimeOut(int terminal) = 0;
};

// The RF link test engine: sending test packets, accounting for replies and
// time-outs, and the two buttons.  It is handed the records, the port, the
// display and the clock; it does no I/O of its own.  Every call runs with the
// engine lock held.
//
// Sending, the buttons and the reset are in LinkTest.cpp; what comes back
// (echoes, reports, the supervision tick) in ReplyAccounting.cpp.
class LinkTest final : public LinkTestEntries {
 public:
  LinkTest(TestState& test, const TestCriteria& criteria, const StationRegistry& registry,
           PortWriter& port, Display& display, Clock& clock);

  // LinkTestEntries (reader thread).
  void SendTestPacket(int terminal) override;
  void AccountDataMessage(const char* message, std::size_t length) override;
  void AccountOkReport(int terminal) override;
  void AccountNgReport(int terminal) override;

  // The mode button (401) and the run button (402); window thread.  Each is
  // ignored when its button would be disabled for the current flags (the
  // mode while a test runs, START in PASSIVE mode), so a front end without
  // buttons cannot reach a state the window cannot.
  void ToggleLinkMode();
  void ToggleTestRun();
  // Every 500 ms while a test runs; window thread.  A tick that arrives after
  // the test stopped (already queued when the timer was killed) does nothing.
  void SuperviseTick();
  // What the tick does for one terminal whose packet has timed out: NG
  // counted and drawn, a new packet in a running ACTIVE test.  The tick
  // calls it; a replay calls it where the recording says.
  void CountTimeOut(int terminal);
  // `watcher` (or nullptr) hears of each time-out the tick counts.
  void WatchTimeOuts(TimeOutWatcher* watcher) { watcher_ = watcher; }
  // Clears every counter; with `redraw`, draws every present terminal's five
  // lines again as zeros.
  void ResetTestCounters(bool redraw);
  // The STOP transition the Close command makes when a test runs: the run
  // flag cleared and the timer stopped.  The buttons are the caller's.
  void StopRun();
  // An ACTIVE test that a lost link stopped goes on over the reopened line:
  // the counters kept, a fresh packet to every listed terminal (the packets
  // out at the loss are never counted good or lost), the timer running.
  void ResumeRun();
  // What the two buttons show for the flags and whether the port is open.
  ButtonState Buttons(bool portOpen) const;

 private:
  // Starts the timer and sends a test packet to every listed terminal.
  void SendToEveryListedTerminal();
  void AccountEcho(int base, int terminal, const char* message, std::size_t length);
  // Whether `data` is what terminal t's packet before the last one carried.
  bool IsEchoOfPreviousPacket(int terminal, const char* data, std::size_t length);
  void AccountPassiveData(int terminal, const char* message, std::size_t length);
  // Reply time of `terminal` since its send tick, its sum and the average over
  // the terminal's `replyCount`; draws TM and AV.
  void Measure(int terminal);
  // Measure without the drawing, and the drawing of what it measured.
  // `repeat`: an echo of a packet answered already, a duplicate in the figures.
  void RecordReply(int terminal, bool repeat);
  void DrawReply(int terminal);
  // SendTestPacket without drawing SD: the write, the send tick and the count.
  void WriteTestPacket(int terminal);
  // Shows one counter of the terminal's cell.
  void DrawCounter(int terminal, Counter counter, std::int32_t value, int colourClass);

  TestState& test_;
  const TestCriteria& criteria_;
  const StationRegistry& registry_;
  PortWriter& port_;
  Display& display_;
  Clock& clock_;
  TestPacketBuffer packet_;
  // Length of the last PASSIVE message kept in packet_ for the duplicate test.
  std::size_t lastMessageLength_ = 0;
  TimeOutWatcher* watcher_ = nullptr;
};

}  // namespace tessaro
