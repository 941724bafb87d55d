#include "protocol/StationRegistry.h"

#include "protocol/CommandBuffer.h"

namespace tessaro {

void StationRegistry::Reset() {
  for (int b = 1; b <= kMaxBase; ++b) {
    highestTerminal[b] = 1;
    BaseProperties& p = properties[b];
    p.mode = 0;
    p.baudIndex = 0;
    p.timeout = 0;
    p.channel = 0;
    p.power = '1';
    p.group = '1';
    for (int t = 1; t <= kMaxTerminal; ++t) rows[b].terminal[t] = 0;
  }
  highestBase = 1;
}

void StationRegistry::ApplyBaseStatus(const char* message, std::size_t length) {
  for (int b = 1; b <= kMaxBase; ++b) rows[b].present = 0;
  highestBase = 1;
  if (length < 3) return;
  const std::size_t count = (length - 3) / 4;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = 3 + 4 * k;
    const int b = DecodeTwoDigits(message, length, at);
    if (!IsBaseNumber(b)) continue;
    rows[b].present = 1;
    properties[b].group = message[at + 2];
    properties[b].channel = message[at + 3];
    if (b > highestBase) highestBase = b;
  }
}

void StationRegistry::MoveBase(int oldNumber, int newNumber) {
  if (!IsBaseNumber(oldNumber) || !IsBaseNumber(newNumber)) return;
  if (oldNumber == newNumber) {
    rows[newNumber].present = 1;  // renumbered to itself: its terminals stay
    if (newNumber > highestBase) highestBase = newNumber;
    return;
  }
  rows[oldNumber].present = 0;
  rows[newNumber].present = 1;
  // The view walks bases 1..highestBase: a base renumbered above it would
  // vanish from the picture until the next base list.
  if (newNumber > highestBase) highestBase = newNumber;
  for (int t = 1; t <= kMaxTerminal; ++t) {
    rows[newNumber].terminal[t] = rows[oldNumber].terminal[t];
    rows[oldNumber].terminal[t] = 0;
  }
}

int StationRegistry::FirstPresentBase() const {
  for (int b = 1; b <= kMaxBase; ++b) {
    if (rows[b].present) return b;
  }
  return 0;
}

void StatusPoll(StationRegistry& registry, Display& display, PortWriter& port) {
  if (registry.pollCountdown > 0) {
    --registry.pollCountdown;
  } else {
    for (int b = 1; b <= kMaxBase; ++b) registry.rows[b].present = 0;
    display.InvalidateView();
    display.SetPaneText(0, "  ");
    display.SetPaneText(1, "  ");
  }
  port.Write(kBaseStatusCommand, kFixedCommandLength);
}

}  // namespace tessaro
