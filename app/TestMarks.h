#pragma once

// What drives the link test besides the bytes on the line: the buttons, the
// criteria and each time-out the supervision counts.  The engine notes each
// one on its port as a "test ..." line, which a line trace keeps so that a
// replay can drive the test again exactly as it ran (docs/traces.md).

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/TestState.h"

namespace tessaro {

enum class TestMarkKind {
  Criteria,   // "test criteria length=N retransmits=N timeout=N"
  Mode,       // "test mode active" / "test mode passive"
  Start,      // "test start": START, a packet to every listed terminal
  Stop,       // "test stop"
  TimeOut,    // "test timeout NN": terminal NN counted lost, a new packet
  Reconnect,  // "test reconnect": the lost line is back; a stopped test goes on
  LinkLost,   // the trace's own "hangup": a running test stops (never noted)
};

struct TestMark {
  TestMarkKind kind = TestMarkKind::Start;
  LinkMode mode = LinkMode::Active;  // Mode
  int terminal = 0;                  // TimeOut
  TestCriteria criteria{};           // Criteria
  // Inbound bytes the engine had taken in when it acted ("in=N"): where the
  // mark falls among the received chunks, whatever order two threads wrote
  // their lines in.
  std::uint64_t fed = 0;
};

// The line for `mark` into `text` (NUL-terminated, cut to `size`).
void FormatTestMark(const TestMark& mark, char* text, std::size_t size);
// The mark of a trace line of kind "test" (its rest in `text`); false when
// it names none.
bool ParseTestMark(const std::string& text, TestMark& mark);

}  // namespace tessaro
