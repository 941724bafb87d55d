// The reader thread over a real pseudo-terminal: latency from the last byte
// written on the far end to the dispatch on the reader thread, processor time
// of an idle session, and the highest inbound rate with nothing lost.

#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/NullDisplay.h"
#include "link/FrameAssembler.h"
#include "link/PortSession.h"
#include "link/PosixSerialPort.h"
#include "support/PtyPair.h"

namespace {

using tessaro::ByteSink;
using tessaro::FrameAssembler;
using tessaro::FrameSink;
using tessaro::PortSession;
using tessaro::PortSettings;
using tessaro::PosixSerialPort;
using tessaro::SerialPort;
using tessaro::WaitResult;
using tessaro::testing::PtyPair;
using Clock = std::chrono::steady_clock;

class QuietDisplay final : public tessaro::NullDisplay {
 public:
  void ShowMessage(const char* text, const char* caption, tessaro::MessageIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
};

// Counts the reader's waits on the port.
class CountingPort final : public SerialPort {
 public:
  explicit CountingPort(SerialPort& port) : port_(port) {}
  bool Open(const char* name) override { return port_.Open(name); }
  bool ApplyLineSettings(const tessaro::LineSettings& l) override {
    return port_.ApplyLineSettings(l);
  }
  void SetQueuesAndTimeouts(const tessaro::PortTimeouts& t) override {
    port_.SetQueuesAndTimeouts(t);
  }
  WaitResult WaitReadable(int ms) override {
    waits.fetch_add(1, std::memory_order_relaxed);
    return port_.WaitReadable(ms);
  }
  void Wake() override { port_.Wake(); }
  long Read(char* b, std::size_t n) override { return port_.Read(b, n); }
  long Write(const char* b, std::size_t n) override { return port_.Write(b, n); }
  void PurgeInput() override { port_.PurgeInput(); }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return port_.IsOpen(); }
  std::atomic<long> waits{0};

 private:
  SerialPort& port_;
};

// The engine's part on the reader thread: assemble, then "dispatch", which
// here notes the time and checks the sequence number.
class TimingSink : public ByteSink, private FrameSink {
 public:
  void OnBytes(const char* bytes, std::size_t count) override { assembler_.Feed(bytes, count); }

  // False when they did not all come within a minute (some were lost).
  bool WaitFor(long count) {
    std::unique_lock lock(m_);
    return done_.wait_for(lock, std::chrono::minutes(1), [&] { return dispatched_ >= count; });
  }
  long Dispatched() {
    std::scoped_lock lock(m_);
    return dispatched_;
  }
  long OutOfOrder() {
    std::scoped_lock lock(m_);
    return outOfOrder_;
  }
  Clock::time_point Last() {
    std::scoped_lock lock(m_);
    return last_;
  }

 private:
  void OnFrame(const char* message, std::size_t length) override {
    const Clock::time_point now = Clock::now();
    long n = -1;
    if (length >= 11) {
      n = 0;
      for (int i = 3; i < 11; ++i) n = n * 10 + (message[i] - '0');
    }
    std::scoped_lock lock(m_);
    if (n != dispatched_) ++outOfOrder_;
    ++dispatched_;
    last_ = now;
    done_.notify_all();
  }

  std::mutex m_;
  std::condition_variable done_;
  long dispatched_ = 0;
  long outOfOrder_ = 0;
  Clock::time_point last_{};
  FrameAssembler assembler_{*this};
};

// A realistic echo: "@DT" base terminal sequence payload "\r" (32 bytes).
int Message(long n, char* out, std::size_t size) {
  return std::snprintf(out, size, "@DT%08ld0105ABCDEFGHIJKLMNO\r", n);
}

bool WriteAll(int fd, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t n = write(fd, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<std::size_t>(n);
      continue;
    }
    pollfd p = {fd, POLLOUT, 0};
    if (poll(&p, 1, 1000) < 0) return false;
    if ((p.revents & (POLLHUP | POLLERR)) != 0) return false;
  }
  return true;
}

double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Options {
  long latencyMessages = 10000;
  int idleSeconds = 10;
  long floodMessages = 200000;
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::printf(
          "usage: bench_link [--latency-messages N] [--idle-seconds S] [--flood-messages N]\n"
          "Measures the port session's reader thread over a pseudo-terminal:\n"
          "  latency  last byte written on the far end -> dispatch on the reader thread\n"
          "  idle     processor time of an open session that receives nothing\n"
          "  flood    highest inbound rate on an unpaced pty, every message checked\n");
      std::exit(0);
    } else if (arg == "--latency-messages" && hasValue) {
      o.latencyMessages = std::atol(argv[++i]);
    } else if (arg == "--idle-seconds" && hasValue) {
      o.idleSeconds = std::atoi(argv[++i]);
    } else if (arg == "--flood-messages" && hasValue) {
      o.floodMessages = std::atol(argv[++i]);
    } else {
      std::fprintf(stderr, "bench_link: unknown or incomplete option '%s' (try --help)\n",
                   arg.c_str());
      return false;
    }
  }
  if (o.latencyMessages < 1 || o.idleSeconds < 0 || o.floodMessages < 1) {
    std::fprintf(stderr, "bench_link: counts must be positive\n");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) return 2;

  PtyPair pty;
  if (!pty.Ok()) {
    std::fprintf(stderr, "bench_link: cannot create a pseudo-terminal\n");
    return 1;
  }
  setenv("TESSARO_COM1", pty.SlavePath().c_str(), 1);
  PosixSerialPort port;
  CountingPort counting(port);
  QuietDisplay display;
  char message[64];

  // Latency, one message at a time.
  {
    TimingSink sink;
    PortSession session(counting, sink, display);
    if (session.OpenPort(PortSettings{}) != 1) return 1;
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(options.latencyMessages));
    for (long i = 0; i < options.latencyMessages; ++i) {
      const int length = Message(i, message, sizeof message);
      if (!WriteAll(pty.Master(), message, static_cast<std::size_t>(length))) return 1;
      const Clock::time_point written = Clock::now();
      if (!sink.WaitFor(i + 1)) {
        std::fprintf(stderr, "bench_link: message %ld never arrived\n", i);
        return 1;
      }
      micros.push_back(std::chrono::duration<double, std::micro>(sink.Last() - written).count());
    }
    session.ClosePort();
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
      return micros[std::min(micros.size() - 1, static_cast<std::size_t>(q * micros.size()))];
    };
    std::printf(
        "latency over %ld messages (last byte written -> dispatch): p50 %.1f us, "
        "p99 %.1f us, max %.1f us; out of order %ld\n",
        options.latencyMessages, at(0.50), at(0.99), micros.back(), sink.OutOfOrder());
  }

  // Idle: an open session that receives nothing.
  if (options.idleSeconds > 0) {
    TimingSink sink;
    PortSession session(counting, sink, display);
    if (session.OpenPort(PortSettings{}) != 1) return 1;
    const long waitsBefore = counting.waits.load();
    const double cpuBefore = CpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const double cpu = CpuMs() - cpuBefore;
    const long waits = counting.waits.load() - waitsBefore;
    session.ClosePort();
    std::printf("idle session over %d s: process CPU %.2f ms, reader wake-ups %ld\n",
                options.idleSeconds, cpu, waits);
  }

  // Flood: the far end writes as fast as the pty takes it.
  {
    TimingSink sink;
    PortSession session(counting, sink, display);
    if (session.OpenPort(PortSettings{}) != 1) return 1;
    std::string stream;
    stream.reserve(static_cast<std::size_t>(options.floodMessages) * 33);
    for (long i = 0; i < options.floodMessages; ++i) {
      stream.append(message, static_cast<std::size_t>(Message(i, message, sizeof message)));
    }
    const double cpuBefore = CpuMs();
    const Clock::time_point start = Clock::now();
    if (!WriteAll(pty.Master(), stream.data(), stream.size())) return 1;
    (void)sink.WaitFor(options.floodMessages);
    const double seconds = std::chrono::duration<double>(sink.Last() - start).count();
    const double cpu = CpuMs() - cpuBefore;
    session.ClosePort();
    const long lost = options.floodMessages - sink.Dispatched();
    std::printf(
        "flood of %ld messages (%zu bytes): %.0f messages/s, %.2f MB/s, lost %ld, "
        "out of order %ld, process CPU %.0f ms\n",
        options.floodMessages, stream.size(), options.floodMessages / seconds,
        stream.size() / seconds / 1e6, lost, sink.OutOfOrder(), cpu);
  }
  return 0;
}
