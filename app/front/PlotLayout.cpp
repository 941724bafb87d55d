#include "app/front/PlotLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace tessaro {

namespace {

// `value` with up to `digits` significant digits, a point whatever the
// locale.
std::string Number(double value, int digits) {
  char text[32];
  const std::to_chars_result r =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  return {text, r.ptr};
}

// Second 0 and figure 0 on the frame's left and bottom lines, the pane's
// right and top on its right and top lines.
PlotPoint At(const PlotPane& pane, double second, double value) {
  return {pane.area.left + (pane.area.width - 1) * second / pane.right,
          pane.area.Bottom() - (pane.area.height - 1) * std::min(value, pane.top) / pane.top};
}

void PlaceScale(PlotPane& pane, const PlotMetrics& m, const char* caption) {
  constexpr int kSteps = 5;
  for (int i = 0; i <= kSteps; ++i) {
    const double value = pane.top * i / kSteps;
    const double y = At(pane, 0, value).y;
    if (i > 0 && i < kSteps) pane.grid.push_back(y);
    pane.labels.push_back(
        {Number(value, 5), pane.area.left - 6.0, y + m.ascent / 2.0, PlotAlign::kRight});
  }
  // Whole seconds, about five of them.
  const double step = RoundUp(pane.right / kSteps);
  for (double second = 0; second <= pane.right; second += step) {
    pane.labels.push_back({Number(second, 10), At(pane, second, 0).x,
                           static_cast<double>(pane.area.Bottom() + m.lineHeight),
                           PlotAlign::kCentre});
  }
  pane.caption = {caption, static_cast<double>(pane.area.left),
                  static_cast<double>(pane.area.top - 4), PlotAlign::kLeft};
}

template <typename Figure>
void PlaceRuns(PlotPane& pane, const std::vector<SeriesPoint>& points, Figure figure) {
  std::vector<PlotPoint>* run = nullptr;
  std::uint32_t next = 0;  // the second after the last one placed
  for (const SeriesPoint& point : points) {
    const std::optional<double> value = figure(point);
    if (!value) {
      run = nullptr;
      continue;
    }
    if (run == nullptr || point.second != next) run = &pane.runs.emplace_back();
    run->push_back(At(pane, point.second + 0.5, *value));
    next = point.second + 1;
  }
}

}  // namespace

double RoundUp(double value) {
  if (value <= 0) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0}) {
    if (step * power >= value) return step * power;
  }
  return 10.0 * power;
}

PlotFrame LayOutPlot(const PlotMetrics& m, const std::vector<SeriesPoint>& points, bool passive,
                     const std::string& title) {
  const int left = m.labelWidth + 12;
  const int line = m.lineHeight;
  // Title, caption, pane, seconds; gap; caption, pane, seconds, unit.
  const int paneHeight = std::max(20, (m.height - 7 * line - 12) / 2);
  double maxReply = 0;
  for (const SeriesPoint& point : points) maxReply = std::max(maxReply, point.replyMs.value_or(0));
  const double seconds = std::max<double>(10, static_cast<double>(points.size()));

  PlotFrame frame;
  frame.title = {title, static_cast<double>(left), static_cast<double>(line), PlotAlign::kLeft};
  PlotPane& reply = frame.reply;
  reply.area = {left, 2 * line + 4, m.width - left - 12, paneHeight};
  reply.top = RoundUp(maxReply);
  reply.right = seconds;
  reply.colour = kPlotReply;
  PlotPane& loss = frame.loss;
  loss.area = {left, reply.area.Bottom() + 2 * line + 12, reply.area.width, paneHeight};
  loss.top = 100.0;
  loss.right = seconds;
  loss.colour = kPlotLoss;
  PlaceScale(
      reply, m,
      passive ? "Report time, ms (mean of each second)" : "Reply time, ms (mean of each second)");
  PlaceScale(loss, m, passive ? "Echoes refused, % (each second)" : "Loss, % (each second)");
  PlaceRuns(reply, points, [](const SeriesPoint& s) { return s.replyMs; });
  PlaceRuns(loss, points, [](const SeriesPoint& s) { return s.lossPercent; });
  frame.unit = {"seconds of the run", static_cast<double>(loss.area.Right()),
                static_cast<double>(loss.area.Bottom() + 2 * line + 2), PlotAlign::kRight};
  return frame;
}

}  // namespace tessaro
