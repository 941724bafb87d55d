#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Display.h"
#include "core/PortWriter.h"
#include "protocol/Digits.h"

namespace tessaro {

// One base's row: presence and the terminals attached to it.
struct BaseRow {
  std::uint8_t present = 0;
  std::uint8_t terminal[kMaxTerminal + 1] = {};  // index 1..99
};

// A base's properties as it last reported them.  Characters are stored as
// received ("1".."6"); 0 means not reported yet.
struct BaseProperties {
  char channel = 0;
  char group = 0;
  char power = 0;
  char mode = 0;
  std::uint8_t timeout = 0;    // seconds 0..99
  std::uint8_t baudIndex = 0;  // row of the baud table
};

// The program's picture of the RF network: bases 1..16 and terminals 1..99.
// Fixed size, no heap.  Index 0 of every array is unused.
struct StationRegistry {
  BaseRow rows[kMaxBase + 1];
  int highestBase = 1;
  int highestTerminal[kMaxBase + 1] = {};
  BaseProperties properties[kMaxBase + 1];
  int pollCountdown = 0;

  // Highest numbers back to 1, properties to their unknown values, terminals
  // cleared.  Presence is kept.
  void Reset();

  // Every inbound message keeps the known bases across the next two opens.
  void NoteMessage() { pollCountdown = 2; }

  // Rebuilds presence, group, channel and highestBase from a "@BS" message
  // ("\r" included).  Entries with a base number outside 1..16 are skipped.
  void ApplyBaseStatus(const char* message, std::size_t length);

  // A base changed its number; both must be 1..16.  Properties and
  // highestTerminal stay; highestBase only grows to the new number.
  void MoveBase(int oldNumber, int newNumber);

  // Replaces the terminals of base b from a "@TM" nn list.  `onListed` runs for
  // each valid listed terminal right after its byte was set.
  template <typename OnListed>
  void ReplaceTerminals(int base, const char* message, std::size_t length, OnListed onListed);

  bool IsBasePresent(int b) const { return IsBaseNumber(b) && rows[b].present != 0; }
  bool IsTerminalPresent(int b, int t) const {
    return IsBaseNumber(b) && IsTerminalNumber(t) && rows[b].terminal[t] != 0;
  }
  // The lowest present base; 0 when none is present.
  int FirstPresentBase() const;
};

// The status poll run right after a port opens: clears the bases when no
// message came since the open before last, then sends "@BS\r".
void StatusPoll(StationRegistry& registry, Display& display, PortWriter& port);

template <typename OnListed>
void StationRegistry::ReplaceTerminals(int base, const char* message, std::size_t length,
                                       OnListed onListed) {
  if (!IsBaseNumber(base)) return;
  BaseRow& row = rows[base];
  highestTerminal[base] = 1;
  for (int t = 1; t <= kMaxTerminal; ++t) row.terminal[t] = 0;
  if (length < 5) return;
  const std::size_t count = (length - 5) / 2;
  for (std::size_t k = 0; k < count; ++k) {
    const int t = DecodeTwoDigits(message, length, 5 + 2 * k);
    if (!IsTerminalNumber(t)) continue;
    row.terminal[t] = 1;
    onListed(t);
    if (t > highestTerminal[base]) highestTerminal[base] = t;
  }
}

}  // namespace tessaro
