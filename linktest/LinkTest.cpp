#include "linktest/LinkTest.h"

// Stand-in until the link test lands: replies are not yet accounted.

namespace tessaro {

LinkTest::LinkTest(TestState& test, const TestCriteria& criteria, const StationRegistry& registry,
                   PortWriter& port, Display& display, Clock& clock)
    : test_(test),
      criteria_(criteria),
      registry_(registry),
      port_(port),
      display_(display),
      clock_(clock) {}

void LinkTest::SendTestPacket(int /*terminal*/) {}
void LinkTest::AccountDataMessage(const char* /*message*/, std::size_t /*length*/) {}
void LinkTest::AccountOkReport(int /*terminal*/) {}
void LinkTest::AccountNgReport(int /*terminal*/) {}
void LinkTest::ToggleLinkMode() {}
void LinkTest::ToggleTestRun() {}
void LinkTest::SuperviseTick() {}
void LinkTest::ResetTestCounters(bool /*redraw*/) {
  test_.stats = TerminalStats{};
}
void LinkTest::StopRun() {
  test_.testRun = 0;
  display_.SetSupervisionTimer(false);
}

ButtonState LinkTest::Buttons(bool portOpen) const {
  ButtonState s;
  s.modeText = kModeButtonText[test_.linkMode ? 1 : 0];
  s.runText = kRunButtonText[test_.testRun ? 1 : 0];
  s.modeEnabled = portOpen && !test_.testRun;
  s.runEnabled = portOpen && test_.linkMode == kActive;
  return s;
}

}  // namespace tessaro
