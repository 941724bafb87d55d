// Prints how fast the simulator answers test packets on a real pty, how
// closely pacing holds the baud rate, and what it costs while idle.
//
//   bench_sim [packets]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/PcPort.h"
#include "sim/Simulator.h"

namespace {

using namespace std::chrono_literals;
using tessaro::sim::Scenario;
using tessaro::sim::Simulator;
using tessaro::sim::testing::PcPort;
using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string Packet(int terminal, int sequence) {
  char text[32];
  std::snprintf(text, sizeof text, "@DT%02d%04d0123456789\r", terminal, sequence % 9999 + 1);
  return text;
}

// Keeps `window` packets in flight over the default network's nine
// terminals and counts echoes; each packet also draws an "@OK" report.
void Throughput(int packets, int window, const char* label) {
  Scenario s = Scenario::Default();
  s.delay = {0, 0};
  s.recordCapacity = 1024;
  Simulator sim(s);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "bench_sim: %s\n", error.c_str());
    std::exit(1);
  }
  PcPort pc(sim.SlavePath());
  sim.WaitUntil([&] { return sim.LineHeld(); }, 5s);
  const int terminals[] = {1, 2, 3, 4, 7, 8, 11, 12, 15};
  int sent = 0;
  int echoes = 0;
  const double cpuBefore = CpuSeconds();
  const auto start = Clock::now();
  std::string batch;
  while (echoes < packets) {
    batch.clear();
    while (sent < packets && sent - echoes < window) {
      batch += Packet(terminals[sent % 9], sent);
      ++sent;
    }
    if (!batch.empty()) pc.Send(batch);
    if (pc.Pump(2000ms) == 0) {
      std::fprintf(stderr, "bench_sim: no answer after %d echoes\n", echoes);
      break;
    }
    // Count complete echoes ("@DT" with the base number) and drop what was read.
    std::string& b = pc.Buffer();
    std::size_t at = 0;
    for (std::size_t end = b.find('\r'); end != std::string::npos; end = b.find('\r', at)) {
      if (b.compare(at, 3, "@DT") == 0) ++echoes;
      at = end + 1;
    }
    b.erase(0, at);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuBefore;
  const auto stats = sim.Stats();
  std::printf(
      "%-34s %8d packets in %6.3f s: %9.0f packets/s, %9.0f bytes/s out, "
      "CPU %.2f s (simulator and PC side)\n",
      label, echoes, seconds, echoes / seconds, static_cast<double>(stats.bytesOut) / seconds, cpu);
}

void Pacing(int baud, int baudIndex) {
  Scenario s = Scenario::Default();
  s.bases[0].baudIndex = baudIndex;
  s.line.pace = true;
  Simulator sim(s);
  if (!sim.Start()) std::exit(1);
  PcPort pc(sim.SlavePath(), baud);
  sim.WaitUntil([&] { return sim.LineHeld(); }, 5s);
  sim.InjectRaw(std::string(static_cast<std::size_t>(baud / 10 * 3), 'x'));
  pc.Collect(200ms);
  const auto start = Clock::now();
  const std::size_t bytes = pc.Collect(1500ms).size();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("paced at %6d bps: %8.0f bytes/s (line capacity %d bytes/s, %.1f%%)\n", baud,
              static_cast<double>(bytes) / seconds, baud / 10,
              100.0 * static_cast<double>(bytes) / seconds / (baud / 10.0));
}

void Idle() {
  Scenario s = Scenario::Default();
  s.passive.ratePerTerminal = 1.0;
  Simulator sim(s);
  if (!sim.Start()) std::exit(1);
  const double before = CpuSeconds();
  const auto start = Clock::now();
  sim.WaitUntil([] { return false; }, 2000ms);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("idle, nobody holds the line:       CPU %.1f ms per second\n",
              (CpuSeconds() - before) / seconds * 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int packets = argc > 1 ? std::atoi(argv[1]) : 200000;
  Throughput(packets, 64, "unpaced, 64 packets in flight");
  Throughput(packets / 4, 9, "unpaced, one per terminal (9)");
  Pacing(115200, 0);
  Pacing(9600, 4);
  Idle();
  return 0;
}
