// The radio link's bursty loss and delay jitter, over many draws.

#include <gtest/gtest.h>

#include <cmath>

#include "sim/LinkModel.h"

namespace tessaro::sim::testing {
namespace {

TEST(BurstChannel, LossesComeInBurstsOfTheMeanLengthAtTheStationaryRate) {
  const BurstLoss model{0.05, 0.25, 0.0, 1.0};
  Random rng(5);
  BurstChannel channel;
  constexpr int kPackets = 200000;
  int lost = 0;
  int bursts = 0;
  bool previous = false;
  for (int i = 0; i < kPackets; ++i) {
    const bool loss = channel.Lose(7, model, rng);
    lost += loss ? 1 : 0;
    bursts += loss && !previous ? 1 : 0;
    previous = loss;
  }
  // Bad for enter / (enter + leave) of the time; a burst lasts 1 / leave.
  EXPECT_NEAR(static_cast<double>(lost) / kPackets, 0.05 / 0.30, 0.01);
  EXPECT_NEAR(static_cast<double>(lost) / bursts, 4.0, 0.2);
  EXPECT_FALSE(channel.Bad(8));  // the other terminals' links are untouched
}

TEST(BurstChannel, OffDrawsNothing) {
  Random a(9);
  Random b(9);
  BurstChannel channel;
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(channel.Lose(1, BurstLoss{}, a));
  EXPECT_EQ(a.Next(), b.Next());
}

TEST(DrawDelay, JitterSpreadsTheDelayWithTheGivenDeviationAndNeverBelowZero) {
  Random rng(3);
  double sum = 0;
  double squares = 0;
  constexpr int kDraws = 100000;
  for (int i = 0; i < kDraws; ++i) {
    const int d = DrawDelay(EchoDelay{100, 100, 20}, rng);
    sum += d;
    squares += static_cast<double>(d) * d;
  }
  const double mean = sum / kDraws;
  EXPECT_NEAR(mean, 100.0, 0.5);
  EXPECT_NEAR(std::sqrt(squares / kDraws - mean * mean), 20.0, 0.5);
  for (int i = 0; i < 1000; ++i) EXPECT_GE(DrawDelay(EchoDelay{0, 5, 50}, rng), 0);
  Random a(4);
  Random b(4);
  EXPECT_EQ(DrawDelay(EchoDelay{10, 30, 0}, a), b.Between(10, 30));
}

}  // namespace
}  // namespace tessaro::sim::testing
