#include "sim/Scenario.h"

#include <cstdio>
#include <utility>

#include "link/PortSettings.h"

namespace tessaro::sim {

namespace {

bool Fail(std::string* error, const char* format, int a = 0, int b = 0) {
  if (error) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    *error = text;
  }
  return false;
}

bool IsProbability(double p) {
  return p >= 0.0 && p <= 1.0;  // also false for NaN
}

// One base of the default network.
BaseSetup DefaultBase(int number, char channel, char group, char power, char mode,
                      std::vector<int> terminals) {
  BaseSetup b;
  b.number = number;
  b.channel = channel;
  b.group = group;
  b.power = power;
  b.mode = mode;
  b.terminals = std::move(terminals);
  return b;
}

}  // namespace

Scenario Scenario::Default() {
  Scenario s;
  s.bases = {DefaultBase(1, '1', '1', '5', '3', {1, 2, 3, 4}),
             DefaultBase(2, '2', '1', '4', '2', {7, 8}),
             DefaultBase(5, '3', '2', '3', '2', {11, 12, 15})};
  s.attachedBase = 1;
  return s;
}

bool Scenario::Validate(std::string* error) const {
  if (bases.empty()) return Fail(error, "the network has no base");
  bool seen[17] = {};
  bool attachedFound = false;
  const char highestChannel = line.sixChannel ? '6' : '4';
  for (const BaseSetup& b : bases) {
    if (b.number < 1 || b.number > 16) return Fail(error, "base number %d is not 1..16", b.number);
    if (seen[b.number]) return Fail(error, "base %d is listed twice", b.number);
    seen[b.number] = true;
    if (b.number == attachedBase) attachedFound = true;
    if (b.channel < '1' || b.channel > highestChannel)
      return Fail(error, "base %d: channel must be 1..%d", b.number, highestChannel - '0');
    if (b.group < '1' || b.group > '3') return Fail(error, "base %d: group must be 1..3", b.number);
    if (b.power < '1' || b.power > '5') return Fail(error, "base %d: power must be 1..5", b.number);
    if (b.mode < '1' || b.mode > '3') return Fail(error, "base %d: mode must be 1..3", b.number);
    if (b.timeoutSeconds < 1 || b.timeoutSeconds > 99)
      return Fail(error, "base %d: time-out must be 1..99 seconds", b.number);
    if (b.baudIndex < 0 || b.baudIndex >= kBaudCount)
      return Fail(error, "base %d: baud index must be 0..%d", b.number, kBaudCount - 1);
    for (int t : b.terminals) {
      if (t < 1 || t > 99) return Fail(error, "base %d: terminal %d is not 1..99", b.number, t);
    }
  }
  if (!attachedFound)
    return Fail(error, "the attached base %d is not in the network", attachedBase);
  if (delay.minMs < 0 || delay.maxMs < delay.minMs || delay.maxMs > 600000)
    return Fail(error, "echo delay %d-%d ms is not a range within 0..600000", delay.minMs,
                delay.maxMs);
  if (delay.jitterMs < 0 || delay.jitterMs > 600000)
    return Fail(error, "the delay jitter must be 0..600000 ms");
  const BurstLoss& b = burst;
  const double probabilities[] = {faults.echoLoss,      faults.echoCorruption,
                                  faults.echoDuplicate, faults.ngRate,
                                  faults.wtRate,        faults.silentLoss,
                                  b.enterBad,           b.leaveBad,
                                  b.lossGood,           b.lossBad};
  for (double p : probabilities) {
    if (!IsProbability(p)) return Fail(error, "a fault probability is not within 0..1");
  }
  if (!(passive.ratePerTerminal >= 0.0 && passive.ratePerTerminal <= 1000.0))
    return Fail(error, "the PASSIVE rate must be 0..1000 messages per second");
  if (passive.dataLength < 0 || passive.dataLength > 240)
    return Fail(error, "the PASSIVE data length must be 0..240");
  if (!(line.noisePerSecond >= 0.0 && line.noisePerSecond <= 1000.0))
    return Fail(error, "the noise rate must be 0..1000 bursts per second");
  if (loader.silentAtPacket < 0 || loader.fnBurstAtPacket < 0 || loader.fnBurstLength < 0 ||
      loader.faultAtPacket < 0 || loader.trailingAtPacket < 0)
    return Fail(error, "a loader packet number is negative");
  if (loader.splitGapMs < 0 || loader.splitGapMs > 10000)
    return Fail(error, "the loader's split gap must be 0..10000 ms");
  if (loader.idleExitMs < 0) return Fail(error, "the loader's idle exit must not be negative");
  const std::string* replies[] = {&loader.wakeReply, &loader.makerReply, &loader.downloadReply,
                                  &loader.endReply, &loader.trailingBytes};
  for (const std::string* r : replies) {
    if (r->size() > 32) return Fail(error, "a loader reply is longer than 32 characters");
  }
  if (recordCapacity < 16 || recordCapacity > 10000000)
    return Fail(error, "the record capacity must be 16..10000000");
  return true;
}

}  // namespace tessaro::sim
