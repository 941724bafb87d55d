#include "ui/stats/SeriesPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <optional>

namespace tessaro {

namespace {

// The smallest 1, 2 or 5 times a power of ten at or above `value`, so the
// axis ends on a round figure.
double RoundUp(double value) {
  if (value <= 0) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0}) {
    if (step * power >= value) return step * power;
  }
  return 10.0 * power;
}

struct Pane {
  QRect area;          // where the line is drawn
  double top = 1.0;    // the figure at the top edge
  double right = 1.0;  // the second at the right edge
};

QPointF At(const Pane& pane, double second, double value) {
  return {pane.area.left() + pane.area.width() * second / pane.right,
          pane.area.bottom() - pane.area.height() * std::min(value, pane.top) / pane.top};
}

void DrawAxes(QPainter& p, const Pane& pane, const QString& caption) {
  p.setPen(Qt::black);
  p.drawRect(pane.area);
  const QFontMetrics metrics = p.fontMetrics();
  for (int i = 0; i <= 5; ++i) {
    const double value = pane.top * i / 5;
    const QPointF y = At(pane, 0, value);
    if (i > 0 && i < 5) {
      p.setPen(QColor(220, 220, 220));
      p.drawLine(QPointF(pane.area.left() + 1, y.y()), QPointF(pane.area.right() - 1, y.y()));
      p.setPen(Qt::black);
    }
    const QString label = QString::number(value, 'g', 5);
    p.drawText(QPointF(pane.area.left() - 6 - metrics.horizontalAdvance(label),
                       y.y() + metrics.ascent() / 2.0),
               label);
  }
  // Whole seconds, about five of them.
  const double step = RoundUp(pane.right / 5);
  for (double second = 0; second <= pane.right; second += step) {
    const QPointF x = At(pane, second, 0);
    const QString label = QString::number(second, 'g', 10);
    p.drawText(QPointF(x.x() - metrics.horizontalAdvance(label) / 2.0,
                       pane.area.bottom() + metrics.height()),
               label);
  }
  p.drawText(QPointF(pane.area.left(), pane.area.top() - 4), caption);
}

// A mark on every second that has a figure, joined by a line; seconds
// without one are passed over, not drawn as zero.
template <typename Figure>
void DrawLine(QPainter& p, const Pane& pane, const std::vector<SeriesPoint>& points, Figure figure,
              const QColor& colour) {
  QPainterPath line;
  QPainterPath marks;
  for (const SeriesPoint& point : points) {
    const std::optional<double> value = figure(point);
    if (!value) continue;
    const QPointF at = At(pane, point.second + 0.5, *value);
    if (line.elementCount() == 0) {
      line.moveTo(at);
    } else {
      line.lineTo(at);
    }
    marks.addEllipse(at, 2.0, 2.0);
  }
  p.setPen(QPen(colour, 1.5));
  p.drawPath(line);
  p.setBrush(colour);
  p.drawPath(marks);
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::black);
}

}  // namespace

SeriesPlot::SeriesPlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SeriesPlot"));
  setMinimumSize(320, 240);
}

void SeriesPlot::SetSeries(const QString& title, std::vector<SeriesPoint> points, bool passive) {
  title_ = title;
  points_ = std::move(points);
  passive_ = passive;
  update();
}

void SeriesPlot::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics metrics = p.fontMetrics();
  const int left = metrics.horizontalAdvance(QStringLiteral("99999")) + 12;
  const int line = metrics.height();
  // Title, caption, pane, seconds; gap; caption, pane, seconds, axis name.
  const int paneHeight = std::max(20, (height() - 7 * line - 12) / 2);

  double maxReply = 0;
  for (const SeriesPoint& point : points_) maxReply = std::max(maxReply, point.replyMs.value_or(0));
  const double seconds = std::max<double>(10, static_cast<double>(points_.size()));

  p.setPen(Qt::black);
  p.drawText(QPointF(left, line), title_);
  Pane reply{QRect(left, 2 * line + 4, width() - left - 12, paneHeight), RoundUp(maxReply),
             seconds};
  Pane loss{QRect(left, reply.area.bottom() + 2 * line + 12, reply.area.width(), paneHeight), 100.0,
            seconds};
  DrawAxes(p, reply,
           passive_ ? QStringLiteral("Report time, ms (mean of each second)")
                    : QStringLiteral("Reply time, ms (mean of each second)"));
  DrawAxes(p, loss,
           passive_ ? QStringLiteral("Echoes refused, % (each second)")
                    : QStringLiteral("Loss, % (each second)"));
  DrawLine(
      p, reply, points_, [](const SeriesPoint& s) { return s.replyMs; }, QColor(0, 90, 200));
  DrawLine(
      p, loss, points_, [](const SeriesPoint& s) { return s.lossPercent; }, QColor(200, 30, 30));
  const QString unit = QStringLiteral("seconds of the run");
  p.drawText(QPointF(loss.area.right() - metrics.horizontalAdvance(unit),
                     loss.area.bottom() + 2 * line + 2),
             unit);
}

}  // namespace tessaro
