#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "protocol/StationRegistry.h"

namespace tessaro {

class Engine;

// The present bases 1..16 in ascending order.
std::vector<int> PresentBases(const StationRegistry& registry);
std::vector<int> PresentBases(const Engine& engine);

// How much of the network discovery has found: 100 per present base plus one
// per terminal a present base lists.  It changes whenever discovery learns
// something, so a front end waits for it to hold still.
int DiscoveredSize(const Engine& engine);

// A base number as a list shows it: "1".."16" in the ID dialog, "01".."16"
// (two digits) in the properties dialog.
std::string BaseText(int base, bool twoDigits);

// The base number a list entry names; 0 when it names none (no selection).
int BaseFromText(std::string_view text);

}  // namespace tessaro
