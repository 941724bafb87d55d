#include "tools/linktest/Runner.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "core/Version.h"
#include "tools/linktest/ResultFiles.h"
#include "tools/linktest/Results.h"
#include "tools/metrics/MetricsExport.h"

namespace tessaro::cli {

namespace {

using Steady = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr int kTickMs = 500;
constexpr int kPollMs = 50;
// The terminal lists count as complete once the picture has not changed for this long.
constexpr int kQuietMs = 500;
// How long a base has to announce its terminals before it is asked.
constexpr int kListWaitMs = 500;
// After STOP, echoes already on their way are still counted for up to this long.
constexpr int kDrainMs = 1000;

int MsUntil(Steady::time_point when) {
  const auto left = std::chrono::duration_cast<Ms>(when - Steady::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

class Runner {
 public:
  Runner(const LinkTestOptions& options, Engine& engine, ConsoleDisplay& display, Pause& pause,
         const Console& console)
      : o_(options), engine_(engine), display_(display), pause_(pause), c_(console) {
    if (!o_.metricsPath.empty()) {
      const metrics::SeriesLabels labels{o_.site.empty() ? metrics::HostName() : o_.site, o_.port,
                                         TESSARO_VERSION};
      metrics_ = std::make_unique<metrics::MetricsExport>(o_.metricsPath, labels,
                                                          o_.metricsInterval, c_.err);
    }
  }

  int Run();

 private:
  // false when no base answered (or the user gave up).
  bool Discover();
  void Measure();
  void Drain();
  Results Collect(int seconds);
  void ShowLive(Steady::time_point start);
  void SampleSeries();
  // Notes and reports a loss of the link not noted yet.  true while the
  // link is down.
  bool NoteLinkLoss(Steady::time_point start);
  // --reconnect: reopens the device if it is back; true when the link is up.
  bool TryReconnect(Steady::time_point start);
  bool LinkDown() const { return !gaps_.empty() && gaps_.back().back < 0; }
  // The metrics file, when asked for: rewritten once its interval has
  // passed, or at once with `now`.
  void UpdateMetrics(bool now = false);
  metrics::LinkState Link() const;

  const LinkTestOptions& o_;
  Engine& engine_;
  ConsoleDisplay& display_;
  Pause& pause_;
  const Console& c_;
  SeriesLog series_;
  int liveLines_ = 0;
  int ranSeconds_ = 0;
  bool interrupted_ = false;
  std::vector<LinkGap> gaps_;
  std::unique_ptr<metrics::MetricsExport> metrics_;
  bool measuring_ = false;
};

double SecondsBetween(Steady::time_point from, Steady::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

int Runner::Run() {
  if (!CheckResultFiles(o_, c_.err)) return kExitOutput;
  if (metrics_ && !metrics_->Check()) return kExitOutput;
  if (!engine_.Open()) {
    const OpenFailure& why = engine_.LastOpenFailure();
    std::fprintf(c_.err, "tessaro-linktest: cannot open the port %s%s%s\n", o_.port.c_str(),
                 why.reason[0] != '\0' ? ": " : "", why.reason);
    return kExitPort;
  }
  if (!Discover()) {
    if (metrics_) metrics_->Finish(engine_, Link());  // the link's end, as far as it got
    engine_.Close();
    if (LinkDown()) return kExitLinkLost;
    if (interrupted_) {
      std::fprintf(c_.err, "tessaro-linktest: interrupted before the test started\n");
      return kExitInterrupted;
    }
    std::fprintf(c_.err, "tessaro-linktest: no base answered on %s within %d s\n", o_.port.c_str(),
                 o_.discoverySeconds);
    return kExitNoBase;
  }
  Measure();
  SampleSeries();
  Results results = Collect(ranSeconds_);
  results.gaps = gaps_;
  // The last metrics while the registry still lists the terminals.
  const bool metricsWritten = !metrics_ || metrics_->Finish(engine_, Link());
  engine_.Close();

  if (c_.tty && liveLines_ > 0) std::fprintf(c_.out, "\x1b[%dA\x1b[J", liveLines_);
  PrintTable(c_.out, results, static_cast<int>(results.rows.size()));
  if (interrupted_) std::fprintf(c_.out, "interrupted after %d s\n", ranSeconds_);
  PrintSummary(c_.out, results, o_.port);
  if (LinkDown()) {
    std::fprintf(c_.out, "link lost after %.1f s: the counts end there\n", gaps_.back().lost);
  }
  std::fflush(c_.out);
  if (!WriteResultFiles(o_, results, series_, c_.err) || !metricsWritten) return kExitOutput;
  return LinkDown() ? kExitLinkLost : kExitOk;
}

bool Runner::NoteLinkLoss(Steady::time_point start) {
  if (LinkDown()) return true;
  if (!engine_.IsLinkLost()) return false;
  const double lost = std::max(0.0, SecondsBetween(start, engine_.LinkLostAt()));
  gaps_.push_back(LinkGap{lost, -1.0});
  std::fprintf(c_.err,
               "tessaro-linktest: link lost after %.1f s: the serial device %s went away (adapter "
               "pulled or line closed); nothing is counted while it is gone\n",
               lost, o_.port.c_str());
  std::fflush(c_.err);
  return true;
}

bool Runner::TryReconnect(Steady::time_point start) {
  if (!engine_.Reconnect()) return false;
  LinkGap& gap = gaps_.back();
  gap.back = SecondsBetween(start, Steady::now());
  std::fprintf(c_.err,
               "tessaro-linktest: link back after %.1f s (gone for %.1f s); the test goes on\n",
               gap.back, gap.back - gap.lost);
  std::fflush(c_.err);
  return true;
}

bool Runner::Discover() {
  const auto started = Steady::now();
  const auto deadline = Steady::now() + std::chrono::seconds(o_.discoverySeconds);
  unsigned lastChanges = display_.TopologyChanges();
  auto lastChange = Steady::now();
  auto baseSeen = Steady::time_point::max();
  bool asked = false;
  UpdateMetrics(true);
  for (;;) {
    if (NoteLinkLoss(started)) return false;
    UpdateMetrics();
    int terminals = 0;
    const int base = engine_.Read([&terminals](const EngineView& v) {
      const StationRegistry& r = v.registry;
      for (int b = 1; b <= kMaxBase; ++b) {
        if (!r.rows[b].present) continue;
        for (int t = 1; t <= kMaxTerminal; ++t) terminals += r.rows[b].terminal[t] ? 1 : 0;
      }
      return r.FirstPresentBase();
    });
    const auto now = Steady::now();
    const unsigned changes = display_.TopologyChanges();
    if (changes != lastChanges) {
      lastChanges = changes;
      lastChange = now;
    }
    if (base != 0 && baseSeen == Steady::time_point::max()) baseSeen = now;
    // A base announces its terminals with "@TM" 00 when they change; one
    // that has not done so since it started is asked once, as that
    // announcement would make the PC do.
    if (base != 0 && terminals == 0 && !asked && now - baseSeen >= Ms(kListWaitMs)) {
      engine_.QueryTerminals();
      asked = true;
      lastChange = now;
    }
    const bool quiet = now - lastChange >= Ms(kQuietMs);
    if (base != 0 && terminals > 0 && quiet) return true;
    if (now >= deadline) {
      if (base != 0) {
        std::fprintf(c_.err,
                     "tessaro-linktest: no terminal listed yet; terminals that join during the "
                     "test are included\n");
      }
      return base != 0;
    }
    if (!pause_.Sleep(std::min(kPollMs, MsUntil(deadline)))) {
      interrupted_ = true;
      return false;
    }
  }
}

void Runner::Measure() {
  if (o_.passive) {
    engine_.ToggleLinkMode();
  } else {
    engine_.ToggleTestRun();
  }
  const auto start = Steady::now();
  // --seconds 0: until a signal ends it.
  const auto end =
      o_.seconds > 0 ? start + std::chrono::seconds(o_.seconds) : Steady::time_point::max();
  measuring_ = true;
  UpdateMetrics(true);
  auto nextTick = start + Ms(kTickMs);
  const int drawMs = c_.tty ? kTickMs : o_.intervalSeconds * 1000;
  auto nextDraw = drawMs > 0 ? start + Ms(drawMs) : Steady::time_point::max();
  if (drawMs > 0) ShowLive(start);
  while (Steady::now() < end) {
    const auto wake = std::min({nextTick, nextDraw, end});
    if (!pause_.Sleep(MsUntil(wake))) {
      interrupted_ = true;
      break;
    }
    if (NoteLinkLoss(start)) {
      if (!o_.reconnect) break;
      TryReconnect(start);  // tried again at the next wake while the device is gone
    }
    UpdateMetrics();
    const auto now = Steady::now();
    if (now >= nextTick) {
      if (display_.TimerRunning()) engine_.SuperviseTick();
      SampleSeries();
      nextTick += Ms(kTickMs);
      if (nextTick <= now) nextTick = now + Ms(kTickMs);  // fell behind: no burst of ticks
    }
    if (now >= nextDraw && now < end) {
      ShowLive(start);
      nextDraw += Ms(drawMs);
      if (nextDraw <= now) nextDraw = now + Ms(drawMs);
    }
  }
  ranSeconds_ = static_cast<int>(
      std::chrono::duration_cast<std::chrono::seconds>(Steady::now() - start).count());
  if (LinkDown()) ranSeconds_ = static_cast<int>(gaps_.back().lost);
  if (!interrupted_ && !LinkDown()) ranSeconds_ = o_.seconds;
  if (!o_.passive) {
    engine_.StopTestRun();
    // Without a length the signal is the run's normal end: the echoes on
    // their way are still counted.
    if ((!interrupted_ || o_.seconds == 0) && !LinkDown()) Drain();
  }
  measuring_ = false;
}

void Runner::Drain() {
  const auto deadline = Steady::now() + Ms(kDrainMs);
  while (Steady::now() < deadline) {
    const bool settled = engine_.Read([](const EngineView& v) {
      for (int t = 1; t <= kMaxTerminal; ++t) {
        if (Outstanding(v.test.statistics.terminal[t]) > 0) return false;
      }
      return true;
    });
    if (settled) return;
    if (!pause_.Sleep(std::min(kPollMs, MsUntil(deadline)))) return;
  }
}

Results Runner::Collect(int seconds) {
  return engine_.Read(
      [seconds](const EngineView& v) { return CollectResults(v.registry, v.test, seconds); });
}

void Runner::ShowLive(Steady::time_point start) {
  const int elapsed = static_cast<int>(
      std::chrono::duration_cast<std::chrono::seconds>(Steady::now() - start).count());
  const Results results = Collect(elapsed);
  if (c_.tty) {
    if (liveLines_ > 0) std::fprintf(c_.out, "\x1b[%dA\x1b[J", liveLines_);
    if (o_.seconds > 0) {
      std::fprintf(c_.out, "%s link test on %s: %d s of %d s (Ctrl-C ends it early)\n",
                   o_.passive ? "PASSIVE" : "ACTIVE", o_.port.c_str(), elapsed, o_.seconds);
    } else {
      std::fprintf(c_.out, "%s link test on %s: %d s (Ctrl-C ends it)\n",
                   o_.passive ? "PASSIVE" : "ACTIVE", o_.port.c_str(), elapsed);
    }
    liveLines_ = 1 + PrintTable(c_.out, results, std::max(1, c_.rows - 4));
  } else {
    std::fprintf(c_.out, "[%d s]\n", elapsed);
    PrintTable(c_.out, results, static_cast<int>(results.rows.size()));
  }
  std::fflush(c_.out);
}

void Runner::UpdateMetrics(bool now) {
  if (metrics_) metrics_->Update(engine_, Link(), now);
}

metrics::LinkState Runner::Link() const {
  metrics::LinkState link;
  link.up = !LinkDown() && !engine_.IsLinkLost();
  link.running = measuring_;
  link.lost = static_cast<std::int64_t>(gaps_.size());
  for (const LinkGap& gap : gaps_) link.reconnects += gap.back >= 0 ? 1 : 0;
  return link;
}

void Runner::SampleSeries() {
  if (o_.seriesPath.empty()) return;
  engine_.Read([this](const EngineView& v) { series_.Take(v.test.statistics); });
}

}  // namespace

int RunLinkTest(const LinkTestOptions& options, Engine& engine, ConsoleDisplay& display,
                Pause& pause, const Console& console) {
  const int com = ComPortIndex(options.port.c_str());
  engine.SelectPort(com);
  if (com < 0) {
    // A device path: the status and the reopen after a loss use it as given.
    const std::string& path = options.port;
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    engine.SelectDevicePath(path.c_str(), name.substr(0, 31).c_str());
  }
  engine.SelectBaud(options.baudRow);
  Runner runner(options, engine, display, pause, console);
  return runner.Run();
}

}  // namespace tessaro::cli
