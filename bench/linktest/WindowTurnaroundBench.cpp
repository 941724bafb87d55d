// A window program's link-test turnaround, measured from outside it: this
// program plays one base with terminals 1..99 on a pseudo-terminal published
// as LINK, waits for the window (started separately, e.g. with --demo) to
// open the port and start an ACTIVE test, then answers one packet at a time
// and measures from the last byte of each good echo written to the complete
// next packet for that terminal read back.  The window's reader thread,
// dispatch, drawing hand-over and write are all inside the figure, and so is
// Wine when the window runs under it.
//
//   bench_window_turnaround LINK [ECHOES]   (default 2000)

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/linktest/BenchSupport.h"

using namespace tessaro;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kTerminals = 99;
constexpr int kStartWaitMs = 60000;
constexpr int kReplyWaitMs = 5000;

int TerminalOf(const std::string& packet) {
  return std::atoi(packet.substr(3, 2).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: bench_window_turnaround LINK [ECHOES]\n");
    return 2;
  }
  const std::string link = argv[1];
  const int echoes = argc > 2 ? std::atoi(argv[2]) : 2000;
  bench::FarEnd far;
  if (!far.Ok()) {
    std::fprintf(stderr, "no pseudo-terminal\n");
    return 1;
  }
  // Held open so that the master reads nothing but waits before the window
  // opens the port (a pty without an opener reports a hang-up).
  const int holder = open(far.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  unlink(link.c_str());
  if (holder < 0 || symlink(far.SlavePath().c_str(), link.c_str()) != 0) {
    std::fprintf(stderr, "cannot publish %s\n", link.c_str());
    return 1;
  }
  std::printf("%s\n", far.SlavePath().c_str());
  std::fflush(stdout);

  std::string pending;
  // The window opens the port and asks: one base answers with its list.
  if (!far.ReadSome(pending, kStartWaitMs)) {
    std::fprintf(stderr, "nobody opened %s\n", link.c_str());
    return 1;
  }
  std::string list = "@BS0111\r@TM01";
  for (int t = 1; t <= kTerminals; ++t) {
    list += static_cast<char>('0' + t / 10);
    list += static_cast<char>('0' + t % 10);
  }
  far.Write(list + "\r");

  std::map<int, std::string> outstanding;  // terminal -> its last packet
  std::string m;
  const auto startBy = Steady::now() + std::chrono::milliseconds(kStartWaitMs);
  while (static_cast<int>(outstanding.size()) < kTerminals) {
    while (bench::FarEnd::NextMessage(pending, m)) {
      if (m.rfind("@DT", 0) == 0) outstanding[TerminalOf(m)] = m;
    }
    if (static_cast<int>(outstanding.size()) >= kTerminals) break;
    if (Steady::now() > startBy || !far.ReadSome(pending, kReplyWaitMs)) {
      std::fprintf(stderr, "the test did not start (%zu terminals sent to)\n", outstanding.size());
      return 1;
    }
  }

  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(echoes));
  int terminal = 0;
  for (int i = 0; i < echoes; ++i) {
    terminal = terminal % kTerminals + 1;
    far.Write("@DT01" + outstanding[terminal].substr(3));
    const auto echoed = Steady::now();
    bool answered = false;
    while (!answered) {
      while (!answered && bench::FarEnd::NextMessage(pending, m)) {
        if (m.rfind("@DT", 0) != 0) continue;
        outstanding[TerminalOf(m)] = m;  // a retransmit of another one counts too
        answered = TerminalOf(m) == terminal;
      }
      if (!answered && !far.ReadSome(pending, kReplyWaitMs)) {
        std::fprintf(stderr, "no packet after echo %d\n", i);
        return 1;
      }
    }
    micros.push_back(std::chrono::duration<double, std::micro>(Steady::now() - echoed).count());
  }
  unlink(link.c_str());
  close(holder);
  std::printf("window turnaround, %zu good echoes, %d terminals, echo to next packet:\n",
              micros.size(), kTerminals);
  std::printf("  p50 %.0f us   p99 %.0f us   max %.0f us\n", bench::Percentile(micros, 50),
              bench::Percentile(micros, 99), bench::Percentile(micros, 100));
  return 0;
}
