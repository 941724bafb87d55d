#pragma once

// Stand-ins used inside unit tests: a display and a port writer that record
// what they are given, a manual clock and a serial port that never opens.

#include <cstdint>
#include <string>
#include <vector>

#include "app/front/CellTexts.h"
#include "core/Clock.h"
#include "core/Display.h"
#include "core/PortWriter.h"
#include "link/NullSerialPort.h"

namespace tessaro::testing {

struct CellCall {
  char kind;
  int lineOffset;
  int number;
  std::string text;
  int colourClass;
  bool operator==(const CellCall&) const = default;
};

class RecordingDisplay : public Display {
 public:
  void SetPaneText(int pane, const char* text) override {
    panes[pane] = text;
    paneWrites.push_back(std::to_string(pane) + ":" + text);
  }
  // Recorded as the view would show them.
  void ShowCounter(int terminal, Counter counter, std::int32_t value, int colourClass) override {
    Record(CounterText(terminal, counter, value), colourClass);
  }
  void ShowBaseProperty(int base, BaseProperty property, char value) override {
    Record(BasePropertyText(base, property, value), kBlack);
  }
  void InvalidateTopology() override { ++topologyInvalidations; }
  void InvalidateView() override { ++viewInvalidations; }
  void ShowMessage(const char* text, const char* caption, MessageIcon) override {
    messages.push_back(std::string(caption) + ": " + text);
  }
  void SetButtons(const ButtonState& state) override {
    buttons = state;
    ++buttonUpdates;
  }
  void SetSupervisionTimer(bool running) override {
    timerRunning = running;
    timerCalls.push_back(running);
  }

  std::string panes[3];
  std::vector<std::string> paneWrites;
  std::vector<CellCall> cells;
  std::vector<std::string> messages;
  int topologyInvalidations = 0;
  int viewInvalidations = 0;
  ButtonState buttons;
  int buttonUpdates = 0;
  bool timerRunning = false;
  std::vector<bool> timerCalls;

 private:
  void Record(const CellText& cell, int colourClass) {
    cells.push_back({cell.kind, cell.lineOffset, cell.number, cell.text, colourClass});
  }
};

class RecordingPort : public PortWriter {
 public:
  void Write(const char* bytes, std::size_t count) override { writes.emplace_back(bytes, count); }
  std::string All() const {
    std::string s;
    for (const auto& w : writes) s += w;
    return s;
  }
  std::vector<std::string> writes;
};

class ManualClock : public Clock {
 public:
  explicit ManualClock(std::uint32_t start = 0) : now(start) {}
  std::uint32_t NowMs() override { return now; }
  void Advance(std::uint32_t ms) { now += ms; }
  std::uint32_t now;
};

// A serial port with no device behind it.
using AbsentSerialPort = NullSerialPort;

}  // namespace tessaro::testing
