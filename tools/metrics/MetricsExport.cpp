#include "tools/metrics/MetricsExport.h"

namespace tessaro::metrics {

using Steady = std::chrono::steady_clock;

MetricsExport::MetricsExport(const std::string& path, const SeriesLabels& labels,
                             int intervalSeconds, std::FILE* err)
    : file_(path), renderer_(labels), interval_(std::chrono::seconds(intervalSeconds)), err_(err) {}

bool MetricsExport::Check() const {
  std::string error;
  if (file_.Check(error)) return true;
  std::fprintf(err_, "tessaro-linktest: cannot write the metrics to %s: %s\n", file_.Path().c_str(),
               error.c_str());
  return false;
}

void MetricsExport::Update(const Engine& engine, const LinkState& link, bool now) {
  const Steady::time_point at = Steady::now();
  if (!now && at < next_) return;
  next_ = at + interval_;
  Write(engine, link);
}

bool MetricsExport::Finish(const Engine& engine, const LinkState& link) {
  return Write(engine, link);
}

bool MetricsExport::Write(const Engine& engine, const LinkState& link) {
  LinkSample& s = *sample_;
  engine.Read([&s](const EngineView& v) { TakeSample(v.registry, v.test, s); });
  s.up = link.up;
  s.running = link.running;
  s.linkLost = link.lost;
  s.reconnects = link.reconnects;
  renderer_.Render(s, text_);
  std::string error;
  if (file_.Write(text_, error)) {
    failing_ = false;
    return true;
  }
  if (!failing_) {
    std::fprintf(err_, "tessaro-linktest: cannot write the metrics to %s: %s\n",
                 file_.Path().c_str(), error.c_str());
    std::fflush(err_);
  }
  failing_ = true;
  return false;
}

}  // namespace tessaro::metrics
