// From the last byte of a good echo arriving on the pty to the first byte of
// the next test packet leaving it: the reader thread, the dispatch, the reply
// accounting and the write, with 99 terminals under test.
//
//   bench_linktest_turnaround [ECHOES]   (default 10000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Engine.h"
#include "bench/linktest/BenchSupport.h"
#include "core/Clock.h"
#include "link/NativeSerialPort.h"
#include "link/PathPort.h"

using namespace tessaro;
using Steady = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const int echoes = argc > 1 ? std::atoi(argv[1]) : 10000;
  bench::FarEnd far;
  if (!far.Ok()) {
    std::fprintf(stderr, "no pseudo-terminal\n");
    return 1;
  }
  bench::BenchDisplay display;
  SteadyClock clock;
  std::unique_ptr<SerialPort> native = MakeNativeSerialPort();
  PathPort port(*native, far.SlavePath());
  Engine engine(display, clock, port);
  if (!engine.Open()) {
    std::fprintf(stderr, "cannot open %s\n", far.SlavePath().c_str());
    return 1;
  }

  // One base listing terminals 1..99.
  std::string list = "@TM01";
  for (int t = 1; t <= 99; ++t) {
    list += static_cast<char>('0' + t / 10);
    list += static_cast<char>('0' + t % 10);
  }
  far.Write("@BS0111\r" + list + "\r");
  for (int turn = 0; turn < 500; ++turn) {
    if (engine.Read([](const EngineView& v) { return v.registry.highestTerminal[1]; }) == 99) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  engine.ToggleTestRun();
  std::string pending;
  std::map<int, std::string> outstanding;  // terminal -> its last packet
  auto take = [&](int want) {
    // Reads until `want` test packets are outstanding in all.
    std::string m;
    while (static_cast<int>(outstanding.size()) < want) {
      while (bench::FarEnd::NextMessage(pending, m)) {
        if (m.rfind("@DT", 0) == 0) outstanding[std::stoi(m.substr(3, 2))] = m;
      }
      if (static_cast<int>(outstanding.size()) >= want) break;
      if (!far.ReadSome(pending, 5000)) return false;
    }
    return true;
  };
  if (!take(99)) {
    std::fprintf(stderr, "the test did not start\n");
    return 1;
  }

  // Every packet has been read: the line is quiet until the next echo.
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(echoes));
  int terminal = 0;
  for (int i = 0; i < echoes; ++i) {
    terminal = terminal % 99 + 1;
    const std::string echo = "@DT01" + outstanding[terminal].substr(3);
    far.Write(echo);
    const auto arrived = Steady::now();
    if (!far.ReadSome(pending, 5000)) {
      std::fprintf(stderr, "no packet after echo %d\n", i);
      return 1;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(Steady::now() - arrived).count());
    std::string m;
    while (!bench::FarEnd::NextMessage(pending, m)) {
      if (!far.ReadSome(pending, 5000)) return 1;
    }
    if (m.rfind("@DT", 0) != 0 || std::stoi(m.substr(3, 2)) != terminal) {
      std::fprintf(stderr, "unexpected %s\n", m.c_str());
      return 1;
    }
    outstanding[terminal] = m;
  }
  engine.ToggleTestRun();
  engine.Close();

  std::printf("link test turnaround, %zu good echoes, 99 terminals, real pty:\n", micros.size());
  std::printf("  p50 %.1f us   p99 %.1f us   max %.1f us\n", bench::Percentile(micros, 50),
              bench::Percentile(micros, 99), bench::Percentile(micros, 100));
  return 0;
}
