// A flood of PASSIVE "@DT" messages through a real pseudo-terminal into the
// window: 10,000 a second for 5 seconds (by default), each shown in pane 1,
// counted, echoed and drawn in two counter cells.  Prints how far the queue
// of calls handed to the window thread grew, how often and how regularly the
// view painted, how late the window thread's timers ran, and whether the
// reader kept up.  Figures only; nothing passes or fails on time.
//
//   bench_ui_flood [messages-per-second [seconds]]

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/NativeSerialPort.h"
#include "resources/RfMenu.h"
#include "ui/FrameWindow.h"
#include "ui/QtDisplay.h"
#include "ui/TopologyView.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTerminals = 20;

long ResidentKiB() {
  long pages = 0;
  long resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The base's side: writes the flood into the pty master at an even rate and
// drains the PC's echoes so that they never block the line.
class Flood {
 public:
  Flood(int master, int perSecond, int seconds)
      : master_(master), perSecond_(perSecond), seconds_(seconds) {}

  void Run() {
    const int total = perSecond_ * seconds_;
    const auto start = Clock::now();
    std::string batch;
    char message[64];
    int sent = 0;
    while (sent < total) {
      // Every millisecond, the messages due by then.
      const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      const int due = std::min(total, static_cast<int>(elapsed * perSecond_) + 1);
      batch.clear();
      for (; sent < due; ++sent) {
        const int t = 1 + sent % kTerminals;
        const int base = t <= kTerminals / 2 ? 1 : 5;
        std::snprintf(message, sizeof message, "@DT%02d%02d%04d0123456789\r", base, t,
                      1 + (sent / kTerminals) % 9999);
        batch += message;
      }
      Write(batch);
      Drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    sent_ = sent;
    const auto end = Clock::now();
    writeSeconds_ = std::chrono::duration<double>(end - start).count();
  }

  void Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      pollfd p{master_, POLLOUT, 0};
      poll(&p, 1, 5);
      Drain();
    }
  }

  void Drain() {
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) return;
      echoedBytes_ += n;
    }
  }

  int sent_ = 0;
  double writeSeconds_ = 0;
  std::atomic<long> echoedBytes_{0};

 private:
  int master_;
  int perSecond_;
  int seconds_;
};

long ReceivedCount(tessaro::Engine& engine) {
  return engine.Read([](const tessaro::EngineView& v) {
    long n = 0;
    for (int t = 1; t <= kTerminals; ++t) n += v.test.stats.sdReCount[t];
    return n;
  });
}

}  // namespace

// One measurement from start to end, kept in one place to read as a script.
// NOLINTNEXTLINE(readability-function-size)
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int perSecond = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
  if (perSecond < 1 || seconds < 1) {
    std::fprintf(stderr, "usage: bench_ui_flood [messages-per-second [seconds]]\n");
    return 2;
  }

  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::perror("openpty");
    return 1;
  }
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  setenv("TESSARO_COM1", name, 1);

  tessaro::QtDisplay display;
  tessaro::SteadyClock clock;
  const auto port = tessaro::MakeNativeSerialPort();
  tessaro::Engine engine(display, clock, *port);
  display.AttachEngine(engine);
  tessaro::FrameWindow frame(engine, display);
  frame.resize(1280, 800);
  frame.show();
  engine.ConfirmPortChoices(tessaro::ChoicesFromSettings(engine.Settings()));
  frame.OnCommand(tessaro::kCmdOpen);
  if (!engine.IsPortOpen()) {
    std::fprintf(stderr, "bench_ui_flood: the port did not open\n");
    return 1;
  }

  // Bases 1 and 5 with ten terminals each, then PASSIVE mode.
  Flood flood(master, perSecond, seconds);
  std::string lists = "@BS01110511\r@TM01";
  for (int t = 1; t <= kTerminals / 2; ++t) lists += (t < 10 ? "0" : "") + std::to_string(t);
  lists += "\r@TM05";
  for (int t = kTerminals / 2 + 1; t <= kTerminals; ++t) lists += std::to_string(t);
  lists += "\r";
  flood.Write(lists);
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < 2000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    flood.Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  frame.View()->ModeButton()->click();

  // The window thread's own pulse: a 10 ms timer, and how late it comes.
  QElapsedTimer pulseClock;
  qint64 longestPulseGap = 0;
  QTimer pulse;
  pulse.setTimerType(Qt::PreciseTimer);
  QObject::connect(&pulse, &QTimer::timeout, [&] {
    if (pulseClock.isValid()) longestPulseGap = std::max(longestPulseGap, pulseClock.elapsed());
    pulseClock.start();
  });

  QEventLoop loop;
  std::atomic<bool> floodDone{false};
  long residentBefore = ResidentKiB();
  frame.View()->ResetStats();
  pulse.start(10);
  std::thread writer([&] {
    flood.Run();
    floodDone = true;
  });
  QElapsedTimer run;
  run.start();
  QTimer watch;
  long received = 0;
  qint64 caughtUpMs = -1;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!floodDone) return;
    flood.Drain();
    received = ReceivedCount(engine);
    if (received >= flood.sent_ && caughtUpMs < 0) caughtUpMs = run.elapsed();
    if (caughtUpMs >= 0 || run.elapsed() > (seconds + 10) * qint64{1000}) loop.quit();
  });
  watch.start(20);
  loop.exec();
  pulse.stop();
  writer.join();
  const tessaro::TopologyView::PaintStats paints = frame.View()->Stats();
  const long residentAfter = ResidentKiB();
  received = ReceivedCount(engine);

  std::printf("UI flood: %d \"@DT\" messages at %d/s for %d s (written in %.2f s)\n", flood.sent_,
              perSecond, seconds, flood.writeSeconds_);
  std::printf("  dispatched and counted       %ld of %d%s\n", received, flood.sent_,
              received >= flood.sent_ ? "" : "  (reader behind or counters wrapped)");
  std::printf("  reader caught up             %s\n",
              caughtUpMs < 0
                  ? "no (gave up)"
                  : (std::to_string(caughtUpMs - static_cast<qint64>(flood.writeSeconds_ * 1000)) +
                     " ms after the last write")
                        .c_str());
  std::printf("  echoes written by the PC     %ld bytes\n", flood.echoedBytes_.load());
  std::printf("  queued calls to the window   at most %d outstanding (now %d)\n",
              display.MostQueuedCalls(), display.QueuedCalls());
  std::printf("  paints                       %ld (%.1f per second)\n", paints.paints,
              paints.paints / (run.elapsed() / 1000.0));
  std::printf("  longest gap between paints   %lld ms\n",
              static_cast<long long>(paints.longestGapMs));
  std::printf("  longest gap of a 10 ms timer %lld ms\n", static_cast<long long>(longestPulseGap));
  std::printf("  resident memory              %ld KiB before, %ld KiB after\n", residentBefore,
              residentAfter);

  frame.OnCommand(tessaro::kCmdClose);
  close(slave);
  close(master);
  return 0;
}
