// The core's own cost per good echo, without the line: accounting the echo,
// measuring, and building and writing the next packet.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/linktest/BenchSupport.h"
#include "core/Clock.h"
#include "core/PortWriter.h"
#include "linktest/LinkTest.h"

namespace {

using namespace tessaro;

class NullPort final : public PortWriter {
 public:
  void Write(const char*, std::size_t count) override { bytes += count; }
  std::size_t bytes = 0;
};

class CountingClock final : public Clock {
 public:
  std::uint32_t NowMs() override { return now += 3; }
  std::uint32_t now = 0;
};

void BM_GoodEcho(benchmark::State& state) {
  const int dataLength = static_cast<int>(state.range(0));
  TestState test;
  TestCriteria criteria;
  criteria.dataLength = dataLength;
  StationRegistry registry;
  registry.Reset();
  registry.rows[1].present = 1;
  for (int t = 1; t <= 99; ++t) registry.rows[1].terminal[t] = 1;
  registry.highestTerminal[1] = 99;
  NullPort port;
  bench::BenchDisplay display;
  CountingClock clock;
  LinkTest linkTest(test, criteria, registry, port, display, clock);
  linkTest.ToggleTestRun();

  // The echo of each terminal's current packet, rebuilt as sequences move on.
  char echo[TestPacketBuffer::kSize + 8];
  int t = 0;
  for (auto _ : state) {
    t = t % 99 + 1;
    TestPacketBuffer expected;
    const std::size_t n = expected.BuildPacket(t, test.stats.sequence[t], dataLength);
    std::snprintf(echo, sizeof echo, "@DT01%s", expected.Data() + 3);
    linkTest.AccountDataMessage(echo, n + 2);
  }
  if (test.stats.okDpCount[1] == 0) state.SkipWithError("echoes were not good");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GoodEcho)->Arg(15)->Arg(240);

}  // namespace

BENCHMARK_MAIN();
