#pragma once

// The simulator's one source of chance.  Its own arithmetic on a 64-bit
// generator, so that a seed gives the same choices with any standard library.

#include <cmath>
#include <cstdint>

namespace tessaro::sim {

class Random {
 public:
  explicit Random(std::uint64_t seed = 1) { Seed(seed); }
  void Seed(std::uint64_t seed) { state_ = seed ^ 0x9E3779B97F4A7C15ull; }

  // splitmix64
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  // True with probability p.  Draws nothing when p is 0, so a scenario without
  // faults spends no numbers on them.
  bool Chance(double p) { return p > 0.0 && Unit() < p; }
  // Uniform integer in [low, high].
  int Between(int low, int high) {
    if (high <= low) return low;
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(Next() % span);
  }
  // Standard normal (Box-Muller; the second value is dropped to keep no state).
  double Normal() {
    const double u = 1.0 - Unit();  // (0, 1]
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * Unit());
  }
  // Waiting time of a Poisson process with `rate` events per second, in microseconds.
  std::int64_t ExponentialUs(double rate) {
    const double u = 1.0 - Unit();  // (0, 1]
    return static_cast<std::int64_t>(-std::log(u) / rate * 1e6);
  }

 private:
  std::uint64_t state_ = 0;
};

}  // namespace tessaro::sim
