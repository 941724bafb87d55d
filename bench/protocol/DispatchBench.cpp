// Throughput of the frame assembler and dispatcher on a realistic mixed
// inbound stream (base lists, property replies, terminal lists, "@DT" echoes
// and reports), fed in reads of 1 to 100 bytes, with a display that only
// counts calls.  Also counts heap allocations inside the measured loop.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/Engine.h"
#include "link/NullSerialPort.h"

namespace {

std::atomic<std::uint64_t> gAllocations{0};

}  // namespace

// Counting replacement of the global allocation functions; they pair with
// each other, which GCC cannot see across the replacement.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
#pragma GCC diagnostic pop

namespace {

class CountingDisplay final : public tessaro::Display {
 public:
  void SetPaneText(int, const char*) override { ++calls; }
  void ShowCounter(int, tessaro::Counter, std::int32_t, int) override { ++calls; }
  void ShowBaseProperty(int, tessaro::BaseProperty, char) override { ++calls; }
  void InvalidateTopology() override { ++calls; }
  void InvalidateView() override { ++calls; }
  void ShowMessage(const char*, const char*, tessaro::MessageIcon) override {}
  void SetButtons(const tessaro::ButtonState&) override {}
  void SetSupervisionTimer(bool) override {}
  std::uint64_t calls = 0;
};

class CountingWriter final : public tessaro::PortWriter {
 public:
  void Write(const char*, std::size_t count) override { bytes += count; }
  std::uint64_t bytes = 0;
};

// One cycle of a busy network: discovery, properties, terminal lists, then
// a run of echoes and reports.
std::string MixedStream(int* messages) {
  std::string s;
  int n = 0;
  auto add = [&](const std::string& m) {
    s += m;
    ++n;
  };
  add("@BS011102120521\r");
  for (const char* b : {"01", "02", "05"}) {
    add(std::string("@CH") + b + "01\r");
    add(std::string("@GP") + b + "01\r");
    add(std::string("@ME") + b + "01\r");
    add(std::string("@PW") + b + "03\r");
    add(std::string("@TO") + b + "0002\r");
  }
  add("@TM0101020304\r");
  add("@TM02050607\r");
  add("@TM0508091011\r");
  for (int round = 1; round <= 20; ++round) {
    for (int t = 1; t <= 11; ++t) {
      char echo[64];
      std::snprintf(echo, sizeof echo, "@OK%02d\r@DT%02d%02d%04d0123456789\r", t,
                    t <= 4 ? 1 : (t <= 7 ? 2 : 5), t, round);
      s += echo;
      n += 2;
    }
  }
  *messages = n;
  return s;
}

void BM_AssembleAndDispatch(benchmark::State& state) {
  CountingDisplay display;
  CountingWriter writer;
  tessaro::NullSerialPort port;
  tessaro::SteadyClock clock;
  tessaro::Engine engine(display, clock, port, &writer);
  int perCycle = 0;
  const std::string stream = MixedStream(&perCycle);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> size(1, 100);
  std::vector<int> cuts;
  cuts.reserve(4096);
  for (int i = 0; i < 4096; ++i) cuts.push_back(size(random));

  std::uint64_t messages = 0;
  std::uint64_t bytes = 0;
  std::size_t cut = 0;
  const std::uint64_t allocationsBefore = gAllocations.load();
  for (auto _ : state) {
    std::size_t at = 0;
    while (at < stream.size()) {
      std::size_t n = static_cast<std::size_t>(cuts[cut++ & 4095]);
      if (n > stream.size() - at) n = stream.size() - at;
      engine.Feed(stream.data() + at, n);
      at += n;
    }
    messages += static_cast<std::uint64_t>(perCycle);
    bytes += stream.size();
  }
  const std::uint64_t allocations = gAllocations.load() - allocationsBefore;
  state.counters["msg_per_s"] =
      benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["allocations"] = static_cast<double>(allocations);
  state.counters["alloc_per_msg"] =
      messages ? static_cast<double>(allocations) / static_cast<double>(messages) : 0.0;
  benchmark::DoNotOptimize(display.calls);
}
BENCHMARK(BM_AssembleAndDispatch)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
