// The attached base's answers to the PC's "@" commands.

#include <cstring>

#include "link/PortSettings.h"
#include "protocol/Digits.h"
#include "sim/SimulatorImpl.h"

namespace tessaro::sim {

namespace {

bool Is(const char* msg, char a, char b) {
  return msg[1] == a && msg[2] == b;
}

// The highest value character a property may take.
char HighestValue(char code, bool sixChannel) {
  switch (code) {
    case 'C':
      return sixChannel ? '6' : '4';
    case 'G':
      return '3';
    case 'P':
      return '5';
    case 'M':
      return '3';
    default:
      return '0';
  }
}

char* PropertyOf(BaseState& base, char code) {
  switch (code) {
    case 'C':
      return &base.channel;
    case 'G':
      return &base.group;
    case 'P':
      return &base.power;
    default:
      return &base.mode;
  }
}

}  // namespace

void Simulator::Impl::HandleMessage(const char* msg, int length, std::int64_t nowUs) {
  MessageSlot& slot = received.Push();
  slot.length = length;
  std::memcpy(slot.text, msg, static_cast<std::size_t>(length));
  ++counters.messagesReceived;
  if (length < 4) {
    AnswerError(msg, length);
    return;
  }
  if (Is(msg, 'D', 'T')) {
    HandleData(msg, length, nowUs);
  } else if (Is(msg, 'A', 'T')) {
    // A PC has just attached: the base tells it that terminal lists are
    // there to fetch, as it does whenever terminals join or leave.
    Enqueue("@TM00\r", 6);
  } else if (Is(msg, 'B', 'S')) {
    if (config.line.sixChannel) Enqueue("1", 1);
    char list[80];
    Enqueue(list, static_cast<std::size_t>(net.FormatBaseList(list)));
  } else if (Is(msg, 'C', 'H') || Is(msg, 'G', 'P') || Is(msg, 'P', 'W') || Is(msg, 'M', 'E')) {
    AnswerProperty(msg, length);
  } else if (Is(msg, 'T', 'O')) {
    AnswerTimeout(msg, length);
  } else if (Is(msg, 'I', 'D')) {
    AnswerRenumber(msg, length);
  } else if (Is(msg, 'T', 'M')) {
    AnswerTerminalList(msg, length);
  } else if (Is(msg, 'S', 'P')) {
    AnswerSpeed(msg, length);
  } else if (Is(msg, 'U', 'P')) {
    EnterLoader(msg, length, nowUs);
  } else {
    AnswerError(msg, length);
  }
}

// "@CH" nn v "\r": v "0" asks, another value sets; the answer "@CH" nn 0 v "\r"
// carries the value in force.
void Simulator::Impl::AnswerProperty(const char* msg, int length) {
  const int b = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 3);
  if (length != 7 || !net.Present(b)) {
    AnswerError(msg, length);
    return;
  }
  const char code = msg[1];
  char* value = PropertyOf(net.Base(b), code);
  const char wanted = msg[5];
  if (wanted != '0') {
    if (wanted < '1' || wanted > HighestValue(code, config.line.sixChannel)) {
      AnswerError(msg, length);
      return;
    }
    *value = wanted;
  }
  char answer[8] = {'@', msg[1], msg[2], msg[3], msg[4], '0', *value, '\r'};
  Enqueue(answer, sizeof answer);
}

// "@TO" nn dd "\r": "00" asks; the answer "@TO" nn 00 dd "\r".
void Simulator::Impl::AnswerTimeout(const char* msg, int length) {
  const int b = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 3);
  const int seconds = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 5);
  if (length != 8 || !net.Present(b) || seconds < 0) {
    AnswerError(msg, length);
    return;
  }
  BaseState& base = net.Base(b);
  if (seconds > 0) base.timeoutSeconds = seconds;
  char answer[10] = {'@', 'T', 'O', msg[3], msg[4], '0', '0', 0, 0, '\r'};
  EncodeTwoDigits(base.timeoutSeconds, answer + 7);
  Enqueue(answer, sizeof answer);
}

// "@ID" oo nn "\r": the base takes the new number if it is free.
void Simulator::Impl::AnswerRenumber(const char* msg, int length) {
  const int from = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 3);
  const int to = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 5);
  if (length != 8 || !net.MoveBase(from, to)) {
    AnswerError(msg, length);
    return;
  }
  Enqueue(msg, 8);
}

// "@TM" nn "\r": the terminals of base nn ("00": of every base).
void Simulator::Impl::AnswerTerminalList(const char* msg, int length) {
  const int b = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 3);
  char list[210];
  if (length == 6 && b == 0) {
    for (int n = 1; n <= kMaxBase; ++n) {
      if (net.Present(n)) Enqueue(list, static_cast<std::size_t>(net.FormatTerminalList(n, list)));
    }
    return;
  }
  if (length != 6 || !net.Present(b)) {
    AnswerError(msg, length);
    return;
  }
  Enqueue(list, static_cast<std::size_t>(net.FormatTerminalList(b, list)));
}

// "@SP" rate "\r": answered at the old speed with "@SP" rate "," v "\r" (v the
// rate's row counted from "1"); the attached base then listens at the new one.
void Simulator::Impl::AnswerSpeed(const char* msg, int length) {
  const int digits = length - 4;
  int rate = 0;
  bool valid = digits >= 1 && digits <= 6;
  for (int i = 3; valid && i < length - 1; ++i) {
    valid = IsDigit(msg[i]);
    rate = rate * 10 + (msg[i] - '0');
  }
  int row = -1;
  for (int r = 0; valid && r < kBaudCount; ++r) {
    if (BaudTable[r].rate == rate) row = r;
  }
  if (row < 0) {
    AnswerError(msg, length);
    return;
  }
  char answer[16];
  std::memcpy(answer, msg, static_cast<std::size_t>(length - 1));
  int n = length - 1;
  answer[n++] = ',';
  answer[n++] = static_cast<char>('1' + row);
  answer[n++] = '\r';
  Enqueue(answer, static_cast<std::size_t>(n));
  net.Base(net.Attached()).baudIndex = row;
  if (!line.IsPty()) pendingDeviceBaud = rate;
}

// "@UP" nn "\r": base nn's loader takes the line (no answer; the PC's
// download opens the port again and begins its handshake).
void Simulator::Impl::EnterLoader(const char* msg, int length, std::int64_t nowUs) {
  const int b = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 3);
  if (length != 6 || !net.Present(b)) {
    AnswerError(msg, length);
    return;
  }
  loader.Begin(config.loader, nowUs / 1000);
  if (!line.IsPty()) pendingDeviceBaud = 115200;
}

// "@ER" and the two code letters of what was not understood.
void Simulator::Impl::AnswerError(const char* msg, int length) {
  char answer[6] = {'@', 'E', 'R', '?', '?', '\r'};
  for (int i = 1; i <= 2 && i < length; ++i) {
    const char c = msg[i];
    if (c >= 'A' && c <= 'Z') answer[2 + i] = c;
  }
  Enqueue(answer, sizeof answer);
}

void Simulator::Impl::Announce(const char* text) {
  if (loader.Active()) return;
  Enqueue(text, std::strlen(text));
  Wake();
}

}  // namespace tessaro::sim
