// The highest sustained rate of good echoes: the simulator unpaced, no loss,
// no echo delay, 99 terminals under test.
//
//   bench_linktest_echo_rate [SECONDS]   (default 5)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "app/Engine.h"
#include "bench/linktest/BenchSupport.h"
#include "core/Clock.h"
#include "link/NativeSerialPort.h"
#include "link/PathPort.h"
#include "sim/Simulator.h"
#include "tools/linktest/Runner.h"

using namespace tessaro;
using Steady = std::chrono::steady_clock;

namespace {

sim::Scenario NinetyNineTerminals() {
  sim::Scenario s;
  for (int b = 1; b <= 3; ++b) {
    sim::BaseSetup base;
    base.number = b;
    base.mode = b == 1 ? '3' : '2';
    for (int t = 1; t <= 33; ++t) base.terminals.push_back((b - 1) * 33 + t);
    s.bases.push_back(base);
  }
  s.delay = {0, 0};
  return s;
}

std::int64_t GoodEchoes(Engine& engine) {
  return engine.Read([](const EngineView& v) {
    std::int64_t n = 0;
    for (int t = 1; t <= kMaxTerminal; ++t) n += v.test.stats.replyCount[t];
    return n;
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
  sim::Scenario scenario = NinetyNineTerminals();
  scenario.recordCapacity = 1024;
  sim::Simulator simulator(scenario);
  std::string error;
  if (!simulator.Start(&error)) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return 1;
  }
  bench::BenchDisplay display;
  SteadyClock clock;
  std::unique_ptr<SerialPort> native = MakeNativeSerialPort();
  PathPort port(*native, simulator.SlavePath());
  Engine engine(display, clock, port);
  if (!engine.Open()) return 1;
  for (int turn = 0; turn < 500; ++turn) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (engine.ConnectedBase() != 0) break;
  }
  engine.QueryTerminals();
  for (int turn = 0; turn < 500; ++turn) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (engine.Read([](const EngineView& v) { return v.registry.highestTerminal[3]; }) == 99) break;
  }

  engine.ToggleTestRun();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // warm up
  const std::int64_t before = GoodEchoes(engine);
  const auto start = Steady::now();
  const std::clock_t cpuStart = std::clock();
  auto next = start;
  while (Steady::now() - start < std::chrono::seconds(seconds)) {
    next += std::chrono::milliseconds(500);
    std::this_thread::sleep_until(next);
    engine.SuperviseTick();
  }
  const std::int64_t good = GoodEchoes(engine) - before;
  const double wall = std::chrono::duration<double>(Steady::now() - start).count();
  const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  engine.ToggleTestRun();
  engine.Close();
  const sim::Counters c = simulator.Stats();
  std::printf("good echoes, simulator unpaced, no loss, 99 terminals: %.0f per second\n",
              static_cast<double>(good) / wall);
  std::printf(
      "  over %.1f s: %lld good echoes; this process (engine and simulator) used "
      "%.0f%% of one core; %llu bytes to the PC\n",
      wall, static_cast<long long>(good), 100.0 * cpu / wall,
      static_cast<unsigned long long>(c.bytesOut));
  return 0;
}
