#pragma once

#include <cstddef>

#include "core/Clock.h"
#include "core/Display.h"
#include "core/PortWriter.h"
#include "linktest/TestState.h"
#include "protocol/LinkTestEntries.h"
#include "protocol/StationRegistry.h"
#include "protocol/TestPacketBuffer.h"

namespace tessaro {

// The RF link test engine: sending test packets, accounting for replies and
// time-outs, and the two buttons.  Every call runs with the engine lock held.
class LinkTest final : public LinkTestEntries {
 public:
  LinkTest(TestState& test, const TestCriteria& criteria, const StationRegistry& registry,
           PortWriter& port, Display& display, Clock& clock);

  // LinkTestEntries (reader thread).
  void SendTestPacket(int terminal) override;
  void AccountDataMessage(const char* message, std::size_t length) override;
  void AccountOkReport(int terminal) override;
  void AccountNgReport(int terminal) override;

  // The mode button (401) and the run button (402); window thread.
  void ToggleLinkMode();
  void ToggleTestRun();
  // Every 500 ms while a test runs; window thread.
  void SuperviseTick();
  // Clears every counter; with `redraw`, draws every present terminal's five
  // lines again as zeros.
  void ResetTestCounters(bool redraw);
  // The STOP transition the Close command makes when a test runs: the run
  // flag cleared and the timer stopped.  The buttons are the caller's.
  void StopRun();
  // What the two buttons show for the flags and whether the port is open.
  ButtonState Buttons(bool portOpen) const;

 private:
  TestState& test_;
  const TestCriteria& criteria_;
  const StationRegistry& registry_;
  PortWriter& port_;
  Display& display_;
  Clock& clock_;
  TestPacketBuffer packet_;
};

}  // namespace tessaro
