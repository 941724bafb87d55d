#pragma once

#include <cstdint>
#include <string>

#include "sim/Scenario.h"

namespace tessaro::sim {

// Numbers typed on the command line and at the console: the whole text must
// be the number, within the range given.
bool ParseInt(const std::string& text, long long low, long long high, long long& value);
bool ParseInt(const std::string& text, long long low, long long high, int& value);
bool ParseUnsigned(const std::string& text, std::uint64_t& value);
bool ParseDouble(const std::string& text, double low, double high, double& value);
// An echo delay: "MS" or "MIN-MAX" milliseconds, 0..600000.
bool ParseDelay(const std::string& text, EchoDelay& delay);
// Bursty loss: "ENTER,LEAVE" or "ENTER,LEAVE,LOSS_GOOD,LOSS_BAD", each a
// probability 0..1 (the losses default to 0 and 1); "off" turns it off.
bool ParseBurst(const std::string& text, BurstLoss& burst);

}  // namespace tessaro::sim
