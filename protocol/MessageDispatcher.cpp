#include "protocol/MessageDispatcher.h"

namespace tessaro {

namespace {

// Second code letter required for each first letter 'B'..'W'; 0: no handler.
// 'T' takes both "@TM" and "@TO" and is checked by hand.
constexpr char kSecondLetter[22] = {
    'S',  // B  @BS
    'H',  // C  @CH
    'T',  // D  @DT
    'R',  // E  @ER
    0,    // F
    'P',  // G  @GP
    0,    // H
    'D',  // I  @ID
    0,    // J
    0,    // K
    0,    // L
    'E',  // M  @ME
    'G',  // N  @NG
    'K',  // O  @OK
    'W',  // P  @PW
    0,    // Q
    0,    // R
    'P',  // S  @SP
    'M',  // T  @TM / @TO
    0,    // U
    0,    // V
    'T',  // W  @WT
};

}  // namespace

void MessageDispatcher::Dispatch(const char* m, std::size_t n) {
  c_.registry.NoteMessage();
  if (n == 0 || m[0] != '@') return;
  const bool data = n >= 3 && m[1] == 'D' && m[2] == 'T';
  c_.display.SetPaneText(data ? 1 : 0, m);
  if (n < 3) return;
  const char first = m[1];
  if (first < 'B' || first > 'W') return;
  const char second = kSecondLetter[first - 'B'];
  if (second == 0) return;
  if (first == 'T') {
    if (m[2] == 'M') OnTerminals(m, n);
    if (m[2] == 'O') OnTimeout(m, n);
    return;
  }
  if (m[2] != second) return;
  switch (first) {
    case 'B':
      OnBaseStatus(m, n);
      break;
    case 'C':
      OnProperty(m, n, 'C');
      break;
    case 'D':
      c_.linkTest.AccountDataMessage(m, n);
      break;
    case 'E':
      break;  // "@ER": recognised and ignored
    case 'G':
      OnProperty(m, n, 'G');
      break;
    case 'I':
      OnChangeId(m, n);
      break;
    case 'M':
      OnProperty(m, n, 'M');
      break;
    case 'N':
      OnReport(m, n, false);
      break;
    case 'O':
      OnReport(m, n, true);
      break;
    case 'P':
      OnProperty(m, n, 'P');
      break;
    case 'S':
      OnSpeed(m, n);
      break;
    case 'W':
      OnWait(m, n);
      break;
    default:
      break;
  }
}

void MessageDispatcher::OnBaseStatus(const char* m, std::size_t n) {
  c_.registry.ApplyBaseStatus(m, n);
  c_.display.InvalidateTopology();
  QueryBurst();
}

void MessageDispatcher::QueryBurst() {
  for (int b = 1; b <= kMaxBase; ++b) {
    if (!c_.registry.rows[b].present) continue;
    c_.commands.SendProperty(c_.port, "CH", b, '0');
    c_.commands.SendProperty(c_.port, "GP", b, '0');
    c_.commands.SendProperty(c_.port, "ME", b, '0');
    c_.registry.properties[b].baudIndex = static_cast<std::uint8_t>(c_.portSettings.baudIndex);
    c_.commands.SendProperty(c_.port, "PW", b, '0');
    c_.commands.SendTimeout(c_.port, b, 0);
  }
}

void MessageDispatcher::OnProperty(const char* m, std::size_t n, char code) {
  const int b = DecodeTwoDigits(m, n, 3);
  // Position 6 holds the value; the "\r" follows it, so n must reach 8.
  if (!IsBaseNumber(b) || n < 8) return;
  const char value = m[6];
  BaseProperties& p = c_.registry.properties[b];
  switch (code) {
    case 'C':
      p.channel = value;
      c_.display.ShowBaseProperty(b, BaseProperty::Channel, value);
      break;
    case 'G':
      p.group = value;
      c_.display.ShowBaseProperty(b, BaseProperty::Group, value);
      break;
    case 'P':
      p.power = value;
      c_.display.ShowBaseProperty(b, BaseProperty::Power, value);
      break;
    default:  // 'M': stored only
      p.mode = value;
      break;
  }
}

void MessageDispatcher::OnTimeout(const char* m, std::size_t n) {
  const int b = DecodeTwoDigits(m, n, 3);
  if (!IsBaseNumber(b) || n < 10) return;
  const int seconds = DecodeTwoDigits(m, n, 7);
  if (seconds < 0) return;
  c_.registry.properties[b].timeout = static_cast<std::uint8_t>(seconds);
  if (c_.registry.properties[b].mode != '2') c_.criteria.timeoutSeconds = seconds;
}

void MessageDispatcher::OnChangeId(const char* m, std::size_t n) {
  const int oldNumber = DecodeTwoDigits(m, n, 3);
  const int newNumber = DecodeTwoDigits(m, n, 5);
  if (!IsBaseNumber(oldNumber) || !IsBaseNumber(newNumber)) return;
  c_.registry.MoveBase(oldNumber, newNumber);
  c_.display.InvalidateTopology();
  QueryBurst();
}

void MessageDispatcher::OnTerminals(const char* m, std::size_t n) {
  if (n >= 5 && m[3] == '0' && m[4] == '0') {
    for (int b = 1; b <= kMaxBase; ++b) {
      if (c_.registry.rows[b].present) c_.commands.SendTerminalQuery(c_.port, b);
    }
    return;
  }
  const int b = DecodeTwoDigits(m, n, 3);
  if (!IsBaseNumber(b)) return;
  LinkTestRecord& test = c_.test;
  c_.registry.ReplaceTerminals(b, m, n, [&](int t) {
    if (test.linkMode == kActive && test.Running() && !test.stats.started[t]) {
      c_.linkTest.SendTestPacket(t);
      test.stats.started[t] = 1;
    }
  });
  c_.display.InvalidateTopology();
}

void MessageDispatcher::OnSpeed(const char* /*m*/, std::size_t /*n*/) {
  FormatPortStatus(c_.portSettings, c_.commands.Text(), static_cast<int>(CommandBuffer::kSize));
  c_.display.SetPaneText(2, c_.commands.Data());
}

void MessageDispatcher::OnWait(const char* m, std::size_t n) {
  const int t = DecodeTwoDigits(m, n, 3);
  if (IsTerminalNumber(t)) c_.test.stats.state[t] = ReplyState::kHeld;
}

void MessageDispatcher::OnReport(const char* m, std::size_t n, bool ok) {
  const int t = DecodeTwoDigits(m, n, 3);
  if (!IsTerminalNumber(t)) return;
  if (ok) {
    c_.linkTest.AccountOkReport(t);
  } else {
    c_.linkTest.AccountNgReport(t);
  }
}

}  // namespace tessaro
