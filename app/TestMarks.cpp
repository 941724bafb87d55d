#include "app/TestMarks.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "protocol/Digits.h"

namespace tessaro {

void FormatTestMark(const TestMark& m, char* text, std::size_t size) {
  char what[96];
  switch (m.kind) {
    case TestMarkKind::Criteria:
      std::snprintf(what, sizeof what, "criteria length=%d retransmits=%d timeout=%d",
                    static_cast<int>(m.criteria.dataLength),
                    static_cast<int>(m.criteria.retransmits),
                    static_cast<int>(m.criteria.timeoutSeconds));
      break;
    case TestMarkKind::Mode:
      std::snprintf(what, sizeof what, "mode %s",
                    m.mode == LinkMode::Active ? "active" : "passive");
      break;
    case TestMarkKind::Start:
      std::snprintf(what, sizeof what, "start");
      break;
    case TestMarkKind::Stop:
      std::snprintf(what, sizeof what, "stop");
      break;
    case TestMarkKind::TimeOut:
      std::snprintf(what, sizeof what, "timeout %02d", m.terminal);
      break;
    case TestMarkKind::Reconnect:
      std::snprintf(what, sizeof what, "reconnect");
      break;
    case TestMarkKind::LinkLost:
      std::snprintf(what, sizeof what, "hangup");
      break;
  }
  std::snprintf(text, size, "test %s in=%" PRIu64, what, m.fed);
}

namespace {

// `text` from `at` on is `prefix` and a decimal number that fits an int32;
// `at` moves past it.
bool TakeNumber(const std::string& text, std::size_t& at, const char* prefix, std::int32_t& value) {
  const std::size_t length = std::strlen(prefix);
  if (text.compare(at, length, prefix) != 0) return false;
  const char* first = text.data() + at + length;
  const char* last = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || stop == first) return false;
  at = static_cast<std::size_t>(stop - text.data());
  return true;
}

}  // namespace

bool ParseTestMark(const std::string& text, TestMark& m) {
  m = TestMark{};
  const std::size_t in = text.rfind(" in=");
  if (in == std::string::npos) return false;
  const char* digits = text.data() + in + 4;
  const char* last = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(digits, last, m.fed);
  if (ec != std::errc() || stop == digits || stop != last) return false;
  const std::string what = text.substr(0, in);
  std::size_t at = 0;
  std::int32_t terminal = 0;
  if (what == "start") {
    m.kind = TestMarkKind::Start;
  } else if (what == "stop") {
    m.kind = TestMarkKind::Stop;
  } else if (what == "reconnect") {
    m.kind = TestMarkKind::Reconnect;
  } else if (what == "mode active" || what == "mode passive") {
    m.kind = TestMarkKind::Mode;
    m.mode = what == "mode active" ? LinkMode::Active : LinkMode::Passive;
  } else if (TakeNumber(what, at, "timeout ", terminal) && at == what.size() &&
             IsTerminalNumber(terminal)) {
    m.kind = TestMarkKind::TimeOut;
    m.terminal = terminal;
  } else if (TakeNumber(what, at = 0, "criteria length=", m.criteria.dataLength) &&
             TakeNumber(what, at, " retransmits=", m.criteria.retransmits) &&
             TakeNumber(what, at, " timeout=", m.criteria.timeoutSeconds) && at == what.size()) {
    m.kind = TestMarkKind::Criteria;
  } else {
    return false;
  }
  return true;
}

}  // namespace tessaro
