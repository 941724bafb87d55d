#pragma once

// How the radio link treats one packet: bursty loss and the delay with its
// jitter.  Every draw is skipped when its feature is off, so that a scenario
// without them makes the same choices as before they existed.

#include <algorithm>
#include <cmath>

#include "sim/Random.h"
#include "sim/Scenario.h"

namespace tessaro::sim {

// The good/bad state of each terminal's radio link (Gilbert-Elliott).
class BurstChannel {
 public:
  // Moves terminal t's link to its state for the next packet and says
  // whether that packet is lost.
  bool Lose(int t, const BurstLoss& model, Random& rng) {
    if (t < 0 || t >= kTerminals) return false;
    bool& bad = bad_[t];
    bad = bad ? !rng.Chance(model.leaveBad) : rng.Chance(model.enterBad);
    return rng.Chance(bad ? model.lossBad : model.lossGood);
  }
  bool Bad(int t) const { return t >= 0 && t < kTerminals && bad_[t]; }

 private:
  static constexpr int kTerminals = 100;
  bool bad_[kTerminals] = {};
};

// A delay from the range, plus the jitter.
inline int DrawDelay(const EchoDelay& delay, Random& rng) {
  const int base = rng.Between(delay.minMs, delay.maxMs);
  if (delay.jitterMs <= 0) return base;
  const double jittered = base + delay.jitterMs * rng.Normal();
  return static_cast<int>(std::lround(std::clamp(jittered, 0.0, 1200000.0)));
}

}  // namespace tessaro::sim
