// The radio side: test packets relayed to terminals and echoed back, the
// terminals' own traffic for PASSIVE mode, and line noise.

#include <algorithm>
#include <cstring>

#include "protocol/Digits.h"
#include "sim/SimulatorImpl.h"

namespace tessaro::sim {

namespace {

constexpr char kPayloadDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
// Stray bytes on the line: never "@" (it would open a message), "\r" or the
// lone "1" (which means six-channel mode), nor XON/XOFF.
constexpr char kNoiseBytes[] = "#$%&*+-./:;<=>?^_|~!0289AZaz\x00\x0a\x7f\xa5\xfe";
constexpr int kNoiseCount = sizeof kNoiseBytes - 1;
// How far back a PASSIVE echo looks for the message it answers.
constexpr std::size_t kPassiveLookBack = 256;
// How long a terminal takes a packet for the PC's echo of its own message.
// The PC echoes at once; after this the same bytes are a test packet (its
// sequence numbers start at 0001 too, with the same payload).
constexpr std::int64_t kEchoAwaitedUs = 2000000;

int SequenceOf(const char* msg, int length) {
  if (length < 10) return -1;
  int value = 0;
  for (int i = 5; i < 9; ++i) {
    if (!IsDigit(msg[i])) return -1;
    value = value * 10 + (msg[i] - '0');
  }
  return value;
}

}  // namespace

void Simulator::Impl::HandleData(const char* msg, int length, std::int64_t nowUs) {
  const int t = DecodeTwoDigits(msg, static_cast<std::size_t>(length), 3);
  if (length < 6 || !IsTerminalNumber(t)) {
    AnswerError(msg, length);
    return;
  }
  // A PASSIVE echo has the layout of a test packet; it is told apart by
  // answering one of the terminal's latest messages.
  bool intact = false;
  if (PassiveExpectation* e = AwaitedEcho(t, msg, length, nowUs, intact)) {
    PassiveEcho(t, msg, length, nowUs, *e, intact);
    return;
  }
  TestPacket(t, msg, length, nowUs);
}

// The terminal's message that `msg` echoes: one awaiting its echo with the
// same bytes (intact), else one with the same length and sequence (the data
// changed on the way).  Each echo is taken once, and only for a while.
PassiveExpectation* Simulator::Impl::AwaitedEcho(int t, const char* msg, int length,
                                                 std::int64_t nowUs, bool& intact) {
  PassiveExpectation* sameSequence = nullptr;
  for (PassiveExpectation& e : expect[t]) {
    if (e.remaining <= 0 || e.length != length || nowUs - e.sentUs > kEchoAwaitedUs) continue;
    if (std::memcmp(msg, e.text, static_cast<std::size_t>(length)) == 0) {
      intact = true;
      return &e;
    }
    if (length >= 9 && std::memcmp(msg + 5, e.text + 5, 4) == 0) sameSequence = &e;
  }
  intact = false;
  return sameSequence;
}

void Simulator::Impl::SendReport(char code1, char code2, int terminal) {
  char report[6] = {'@', code1, code2, 0, 0, '\r'};
  EncodeTwoDigits(terminal, report + 3);
  Enqueue(report, sizeof report);
  ++counters.reportsSent;
}

void Simulator::Impl::Schedule(EventKind kind, std::int64_t dueUs, const char* bytes, int count,
                               std::size_t record) {
  TimerEvent event;
  event.kind = kind;
  event.dueUs = dueUs;
  event.record = record;
  event.slot = bytes ? timers.StoreSlot(bytes, count) : -1;
  timers.Push(event);
}

// "@DT" tt ssss payload "\r": the base reports at once; the terminal's echo
// "@DT" bb tt ssss payload "\r" comes back through its base after the delay.
void Simulator::Impl::TestPacket(int t, const char* msg, int length, std::int64_t nowUs) {
  ++counters.testPackets;
  const std::size_t index = echoes.Total();
  EchoRecord& record = echoes.Push();
  record = EchoRecord{};
  record.terminal = t;
  record.sequence = SequenceOf(msg, length);
  const int b = net.BaseOf(t);
  if (b == 0) {
    record.fate = EchoFate::kAbsent;
    record.report = Report::kNg;
    SendReport('N', 'G', t);
    return;
  }
  record.base = b;
  const LinkFaults& f = config.faults;
  // The link's state moves on with every packet, whatever becomes of it.
  const bool burstLost = burst.Lose(t, config.burst, rng);
  if (rng.Chance(f.silentLoss)) {
    record.fate = EchoFate::kSilent;
    return;
  }
  if (rng.Chance(f.ngRate)) {
    record.fate = EchoFate::kRefused;
    record.report = Report::kNg;
    SendReport('N', 'G', t);
    return;
  }
  const bool wait = rng.Chance(f.wtRate);
  record.report = wait ? Report::kWait : Report::kOk;
  SendReport(wait ? 'W' : 'O', wait ? 'T' : 'K', t);
  record.delayMs = DrawDelay(config.delay, rng);
  if (burstLost || rng.Chance(f.echoLoss)) {
    record.fate = EchoFate::kLost;
    return;
  }
  char echo[kLongestInbound + 2];
  echo[0] = '@';
  echo[1] = 'D';
  echo[2] = 'T';
  EncodeTwoDigits(b, echo + 3);
  std::memcpy(echo + 5, msg + 3, static_cast<std::size_t>(length - 3));
  const int echoLength = length + 2;
  record.fate = EchoFate::kEchoed;
  if (rng.Chance(f.echoCorruption) && echoLength > 8) {
    // One character of the terminal's data changes on the air.
    const int at = rng.Between(7, echoLength - 2);
    const char* found = std::strchr(kPayloadDigits, echo[at]);
    const int from = found && echo[at] != '\0' ? static_cast<int>(found - kPayloadDigits) : 0;
    echo[at] = kPayloadDigits[(from + rng.Between(1, 35)) % 36];
    record.fate = EchoFate::kCorrupted;
  }
  const std::int64_t due = nowUs + record.delayMs * 1000LL;
  Schedule(EventKind::kEcho, due, echo, echoLength, index);
  if (rng.Chance(f.echoDuplicate)) {
    if (record.fate == EchoFate::kEchoed) record.fate = EchoFate::kDuplicated;
    Schedule(EventKind::kEcho, due + rng.Between(1, 5) * 1000LL, echo, echoLength, index);
  }
}

// The PC's echo "@DT" tt data "\r" of a terminal's own message: the base
// reports "@OK" (or "@NG") once the terminal has it, after the delay.
void Simulator::Impl::PassiveEcho(int t, const char* msg, int length, std::int64_t nowUs,
                                  PassiveExpectation& answers, bool intact) {
  ++counters.passiveEchoes;
  --answers.remaining;
  MessageSlot& slot = passiveEchoes.Push();
  slot.length = length;
  std::memcpy(slot.text, msg, static_cast<std::size_t>(length));
  const int sequence = SequenceOf(msg, length);
  const bool burstLost = burst.Lose(t, config.burst, rng);
  const bool ng = rng.Chance(config.faults.ngRate) || burstLost;
  const int delay = DrawDelay(config.delay, rng);
  // The oldest message of this terminal not yet echoed, with the echo's
  // sequence when the echo is intact (a duplicate is echoed twice).
  PassiveRecord* answered = nullptr;
  const std::size_t total = passive.Total();
  for (std::size_t back = 1; back <= std::min(total, kPassiveLookBack); ++back) {
    PassiveRecord* r = passive.At(total - back);
    if (!r) break;
    if (r->terminal != t || r->echoed || (intact && r->sequence != sequence)) continue;
    answered = r;
  }
  if (answered) {
    answered->echoed = true;
    answered->intact = intact;
    answered->delayMs = delay;
    answered->report = ng ? Report::kNg : Report::kOk;
  }
  char report[6] = {'@', ng ? 'N' : 'O', ng ? 'G' : 'K', 0, 0, '\r'};
  EncodeTwoDigits(t, report + 3);
  Schedule(EventKind::kReport, nowUs + delay * 1000LL, report, sizeof report);
}

void Simulator::Impl::ArmPassive(std::int64_t nowUs) {
  ++passiveGeneration;
  const double rate = config.passive.ratePerTerminal * net.TerminalCount();
  if (rate <= 0.0) return;
  TimerEvent event;
  event.kind = EventKind::kPassive;
  event.dueUs = nowUs + rng.ExponentialUs(rate);
  event.generation = passiveGeneration;
  timers.Push(event);
}

void Simulator::Impl::ArmNoise(std::int64_t nowUs) {
  ++noiseGeneration;
  if (config.line.noisePerSecond <= 0.0) return;
  TimerEvent event;
  event.kind = EventKind::kNoise;
  event.dueUs = nowUs + rng.ExponentialUs(config.line.noisePerSecond);
  event.generation = noiseGeneration;
  timers.Push(event);
}

// A terminal's own "@DT" bb tt ssss payload "\r", shaped like an echo.
void Simulator::Impl::SendPassive(std::int64_t nowUs) {
  int b = 0;
  int t = 0;
  if (!net.NthTerminal(rng.Between(0, net.TerminalCount() - 1), b, t)) return;
  passiveSequence[t] = passiveSequence[t] % 9999 + 1;
  const int dataLength = config.passive.dataLength;
  const int payload = dataLength > 5 ? dataLength - 5 : 0;
  char msg[kLongestInbound];
  int n = 0;
  msg[n++] = '@';
  msg[n++] = 'D';
  msg[n++] = 'T';
  EncodeTwoDigits(b, msg + n);
  n += 2;
  EncodeTwoDigits(t, msg + n);
  n += 2;
  int s = passiveSequence[t];
  for (int i = 3; i >= 0; --i) {
    msg[n + i] = static_cast<char>('0' + s % 10);
    s /= 10;
  }
  n += 4;
  for (int i = 0; i < payload; ++i) msg[n++] = kPayloadDigits[i % 36];
  msg[n++] = '\r';
  // The PC's echo: the message with the base number taken out.
  const int copies = rng.Chance(config.faults.echoDuplicate) ? 2 : 1;
  PassiveExpectation& e = expect[t][nextExpectation[t]];
  nextExpectation[t] = (nextExpectation[t] + 1) % kExpectations;
  e.remaining = copies;
  e.sentUs = nowUs;
  e.length = n - 2;
  e.text[0] = '@';
  e.text[1] = 'D';
  e.text[2] = 'T';
  std::memcpy(e.text + 3, msg + 5, static_cast<std::size_t>(n - 5));
  for (int c = 0; c < copies; ++c) {
    PassiveRecord& r = passive.Push();
    r = PassiveRecord{};
    r.terminal = t;
    r.base = b;
    r.sequence = passiveSequence[t];
    Enqueue(msg, static_cast<std::size_t>(n));
    ++counters.passiveSent;
  }
}

void Simulator::Impl::SendNoise(int count) {
  char bytes[64];
  count = std::clamp(count, 0, static_cast<int>(sizeof bytes));
  for (int i = 0; i < count; ++i) bytes[i] = kNoiseBytes[rng.Between(0, kNoiseCount - 1)];
  Enqueue(bytes, static_cast<std::size_t>(count));
}

void Simulator::Impl::HandleEvent(const TimerEvent& event) {
  const std::int64_t now = event.dueUs;
  switch (event.kind) {
    case EventKind::kEcho:
      if (loader.Active() || !held) {
        // Due while nobody listens, or after the loader took the line.
        if (EchoRecord* r = echoes.At(event.record)) r->fate = EchoFate::kDropped;
        return;
      }
      Enqueue(timers.SlotBytes(event.slot),
              static_cast<std::size_t>(timers.SlotLength(event.slot)));
      ++counters.echoesSent;
      return;
    case EventKind::kReport:
      if (loader.Active()) return;
      Enqueue(timers.SlotBytes(event.slot),
              static_cast<std::size_t>(timers.SlotLength(event.slot)));
      ++counters.reportsSent;
      return;
    case EventKind::kLoaderTail:
      Enqueue(timers.SlotBytes(event.slot),
              static_cast<std::size_t>(timers.SlotLength(event.slot)));
      return;
    case EventKind::kPassive:
      if (event.generation != passiveGeneration) return;  // rearmed since
      if (held && !loader.Active() && net.TerminalCount() > 0) SendPassive(now);
      ArmPassive(now);
      return;
    case EventKind::kNoise:
      if (event.generation != noiseGeneration) return;
      if (held && !loader.Active()) SendNoise(rng.Between(1, 8));
      ArmNoise(now);
      return;
  }
}

}  // namespace tessaro::sim
