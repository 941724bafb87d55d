// The serial backend of this platform against bench_echo_far_end: the
// turnaround of a 16-byte message (written, echoed, read back whole) and the
// inbound rate of a flood, read the way the reader thread reads (wait, then
// take what is queued).  Built for POSIX and for Windows, so that the same
// figures come from the termios backend and from the Win32 one (under Wine
// here).  Prints figures; passes or fails on nothing but errors.
//
//   bench_serial_roundtrip PORT [ROUNDS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "link/NativeSerialPort.h"
#include "link/PortSettings.h"

namespace {

using Clock = std::chrono::steady_clock;
using tessaro::SerialPort;
using tessaro::WaitResult;

constexpr std::size_t kMessageSize = 16;
constexpr long kFloodBytes = 1 << 20;
constexpr int kWaitMs = 2000;

// Reads until `want` bytes came; false on a stall or a failure.
bool ReadExactly(SerialPort& port, char* buffer, std::size_t want) {
  std::size_t got = 0;
  while (got < want) {
    const WaitResult r = port.WaitReadable(kWaitMs);
    if (r != WaitResult::Readable) return false;
    const long n = port.Read(buffer + got, want - got);
    if (n < 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const std::size_t i = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
  return values[i];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_serial_roundtrip PORT [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(10, std::atoi(argv[2])) : 500;
  std::unique_ptr<SerialPort> port = tessaro::MakeNativeSerialPort();
  if (!port->Open(argv[1])) {
    std::fprintf(stderr, "cannot open %s: %s\n", argv[1], port->LastError().text);
    return 1;
  }
  port->SetQueuesAndTimeouts(tessaro::PortTimeouts{});
  tessaro::LineSettings line{};
  tessaro::ApplyPortSettings(tessaro::PortSettings{}, line);
  if (!port->ApplyLineSettings(line)) {
    std::fprintf(stderr, "%s refused the line settings\n", argv[1]);
    return 1;
  }
  port->PurgeInput();

  char message[kMessageSize + 1] = "@BENCH-ROUNDTRIP";
  char back[kMessageSize];
  std::vector<double> micros;
  for (int i = 0; i < rounds; ++i) {
    const Clock::time_point start = Clock::now();
    if (port->Write(message, kMessageSize) != static_cast<long>(kMessageSize) ||
        !ReadExactly(*port, back, kMessageSize)) {
      std::fprintf(stderr, "round %d: no echo\n", i);
      return 1;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }

  // One 'F' asks the far end for kFloodBytes at the pace the line takes them.
  std::vector<char> sink(4096);
  const Clock::time_point start = Clock::now();
  if (port->Write("F", 1) != 1) return 1;
  long received = 0;
  long reads = 0;
  while (received < kFloodBytes) {
    const WaitResult r = port->WaitReadable(kWaitMs);
    if (r != WaitResult::Readable) break;
    for (;;) {
      const long n = port->Read(sink.data(), 100);  // the reader's 100-byte reads
      if (n <= 0) break;
      received += n;
      ++reads;
      if (n < 100) break;
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  port->Close();

  std::printf("turnaround of %zu bytes over %d rounds: p50 %.0f us, p99 %.0f us\n", kMessageSize,
              rounds, Percentile(micros, 0.5), Percentile(micros, 0.99));
  std::printf("inbound: %ld of %ld bytes in %.3f s = %.0f bytes/s (%ld reads)\n", received,
              kFloodBytes, seconds, static_cast<double>(received) / seconds, reads);
  return received == kFloodBytes ? 0 : 1;
}
