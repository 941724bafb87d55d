#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "linktest/LinkTest.h"
#include "support/Recorders.h"

namespace tessaro::testing {

// A link test over recording stand-ins, with a registry filled by hand.
class LinkTestFixture : public ::testing::Test {
 protected:
  LinkTestFixture() { registry.Reset(); }

  // Makes base b present with the given terminals, as "@BS" and "@TM" would.
  void List(int b, std::initializer_list<int> terminals) {
    registry.rows[b].present = 1;
    if (b > registry.highestBase) registry.highestBase = b;
    std::string m = "@TM";
    m += static_cast<char>('0' + b / 10);
    m += static_cast<char>('0' + b % 10);
    for (int t : terminals) {
      m += static_cast<char>('0' + t / 10);
      m += static_cast<char>('0' + t % 10);
    }
    m += '\r';
    registry.ReplaceTerminals(b, m.data(), m.size(), [](int) {});
  }

  // START with terminal 5 listed under base 1, at tick `at`.
  void Start(std::uint32_t at) {
    clock.now = at;
    List(1, {5});
    linkTest.ToggleTestRun();
    TakeWrites();
    TakeCells();
  }

  void Data(const std::string& m) { linkTest.AccountDataMessage(m.data(), m.size()); }

  // The echo of packet `sequence` to terminal t through base b, default data length.
  static std::string Echo(int b, int t, int sequence, const char* payload = "0123456789") {
    char text[64];
    std::snprintf(text, sizeof text, "@DT%02d%02d%04d%s\r", b, t, sequence, payload);
    return text;
  }
  static std::string Packet(int t, int sequence, const char* payload = "0123456789") {
    char text[64];
    std::snprintf(text, sizeof text, "@DT%02d%04d%s\r", t, sequence, payload);
    return text;
  }

  // Cells drawn since the last call.
  std::vector<CellCall> TakeCells() {
    std::vector<CellCall> cells = display.cells;
    display.cells.clear();
    return cells;
  }
  std::vector<std::string> TakeWrites() {
    std::vector<std::string> writes = port.writes;
    port.writes.clear();
    return writes;
  }

  const TerminalStats& Stats() const { return test.stats; }

  TestState test;
  TestCriteria criteria;
  StationRegistry registry;
  RecordingPort port;
  RecordingDisplay display;
  ManualClock clock{1000};
  LinkTest linkTest{test, criteria, registry, port, display, clock};
};

}  // namespace tessaro::testing
