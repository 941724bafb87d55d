// The cost of the link test's metrics at 99 terminals: what the reader
// thread pays per good echo (the histogram bucket), and what the tool pays
// per interval (copying the figures under the engine lock, rendering the
// text, replacing the file), as a share of one core.  Allocations are
// counted on both paths.
//
//   bench_metrics [Google Benchmark options]

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/metrics/AllocationCount.h"
#include "tools/metrics/LinkMetrics.h"
#include "tools/metrics/MetricsFile.h"

namespace {

using namespace tessaro;
using namespace tessaro::metrics;

constexpr double kIntervalSeconds = 15.0;
// Good echoes a second at 99 terminals with round trips of about 50 ms.
constexpr double kEchoesPerSecond = 2000.0;

// Processor time of this process (user and system), the file system's share included.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// 99 terminals under three bases, each with a few thousand replies spread
// over the buckets.
void Fill(StationRegistry& registry, TestState& test) {
  ResetStatistics(test.statistics, 0);
  for (int t = 1; t <= kMaxTerminal; ++t) {
    const int b = (t - 1) / 33 + 1;
    registry.rows[b].present = 1;
    registry.rows[b].terminal[t] = 1;
    for (int i = 0; i < 3000; ++i) {
      NoteSent(test.statistics, t, static_cast<std::uint32_t>(i));
      NoteReply(test.statistics, t, static_cast<std::uint32_t>(i), 20 + (i * 37) % 400);
    }
  }
}

// What a good echo adds on the reader thread: NoteReply as a whole, whose
// histogram share is one bucket search over 12 bounds and one increment.
void BM_NoteReply(benchmark::State& state) {
  auto test = std::make_unique<TestState>();
  ResetStatistics(test->statistics, 0);
  std::uint32_t now = 0;
  const long before = bench::AllocationCount();
  for (auto _ : state) {
    const int t = static_cast<int>(now % 99) + 1;
    NoteReply(test->statistics, t, now, static_cast<std::int32_t>(20 + (now * 37) % 400));
    ++now;
  }
  benchmark::DoNotOptimize(test->statistics.terminal[1].replyTimeBuckets[0]);
  state.counters["allocations"] = static_cast<double>(bench::AllocationCount() - before);
}
BENCHMARK(BM_NoteReply);

void BM_HistogramBucket(benchmark::State& state) {
  std::int64_t buckets[kReplyTimeBounds + 1] = {};
  std::int32_t ms = 0;
  const double cpuBefore = CpuSeconds();
  for (auto _ : state) {
    ++buckets[ReplyTimeBucket(20 + (ms * 37) % 400)];
    ++ms;
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(buckets);
  state.counters["core_ppm_at_echo_rate"] =
      (CpuSeconds() - cpuBefore) / static_cast<double>(state.iterations()) * kEchoesPerSecond * 1e6;
}
BENCHMARK(BM_HistogramBucket);

// The copy taken under the engine lock once per interval.
void BM_TakeSample(benchmark::State& state) {
  StationRegistry registry;
  auto test = std::make_unique<TestState>();
  auto sample = std::make_unique<LinkSample>();
  Fill(registry, *test);
  const long before = bench::AllocationCount();
  for (auto _ : state) {
    TakeSample(registry, *test, *sample);
    benchmark::ClobberMemory();
  }
  state.counters["allocations"] = static_cast<double>(bench::AllocationCount() - before);
}
BENCHMARK(BM_TakeSample);

// One interval's whole work outside the lock: render and replace the file.
void BM_RenderAndWrite(benchmark::State& state) {
  StationRegistry registry;
  auto test = std::make_unique<TestState>();
  auto sample = std::make_unique<LinkSample>();
  Fill(registry, *test);
  TakeSample(registry, *test, *sample);
  const ExpositionRenderer renderer({"site", "/dev/ttyUSB0", "1.0"});
  std::string text;
  renderer.Render(*sample, text);
  const bool write = state.range(0) != 0;
  char pattern[] = "/tmp/tessaro-bench-metrics-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const MetricsFile file(dir + "/tessaro.prom");
  std::string error;
  const long before = bench::AllocationCount();
  const double cpuBefore = CpuSeconds();
  for (auto _ : state) {
    renderer.Render(*sample, text);
    if (write && !file.Write(text, error)) state.SkipWithError(error.c_str());
  }
  const long renderAllocations = bench::AllocationCount() - before;
  std::remove(file.Path().c_str());
  rmdir(dir.c_str());
  state.counters["bytes"] = static_cast<double>(text.size());
  state.counters["allocations_per_interval"] =
      static_cast<double>(renderAllocations) / static_cast<double>(state.iterations());
  // The share of one core spent on the metrics at one write per interval,
  // in millionths (0.1 % is 1000).
  state.counters["core_ppm_at_15s"] =
      (CpuSeconds() - cpuBefore) / static_cast<double>(state.iterations()) / kIntervalSeconds * 1e6;
}
BENCHMARK(BM_RenderAndWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
