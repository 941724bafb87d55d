#include "ui/stats/SeriesPlot.h"

#include <QPainter>
#include <QPainterPath>

#include "app/front/PlotLayout.h"

namespace tessaro {

namespace {

QColor ColourOf(look::Rgb rgb) {
  return {rgb.red, rgb.green, rgb.blue};
}

void DrawText(QPainter& p, const PlotText& text) {
  const QString shown = QString::fromStdString(text.text);
  double x = text.x;
  if (text.align == PlotAlign::kRight) x -= p.fontMetrics().horizontalAdvance(shown);
  if (text.align == PlotAlign::kCentre) x -= p.fontMetrics().horizontalAdvance(shown) / 2.0;
  p.drawText(QPointF(x, text.y), shown);
}

void DrawPane(QPainter& p, const PlotPane& pane) {
  const PlotBox& a = pane.area;
  p.setPen(Qt::black);
  p.drawRect(QRect(a.left, a.top, a.width, a.height));
  p.setPen(ColourOf(kPlotGrid));
  for (double y : pane.grid) p.drawLine(QPointF(a.left + 1, y), QPointF(a.Right() - 1, y));
  p.setPen(Qt::black);
  for (const PlotText& label : pane.labels) DrawText(p, label);
  DrawText(p, pane.caption);

  QPainterPath line;
  QPainterPath marks;
  for (const std::vector<PlotPoint>& run : pane.runs) {
    line.moveTo(run.front().x, run.front().y);
    for (const PlotPoint& at : run) {
      line.lineTo(at.x, at.y);
      marks.addEllipse(QPointF(at.x, at.y), kMarkRadius, kMarkRadius);
    }
  }
  const QColor colour = ColourOf(pane.colour);
  p.setPen(QPen(colour, kLineWidth));
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
  PlotMetrics m;
  m.width = width();
  m.height = height();
  m.lineHeight = metrics.height();
  m.ascent = metrics.ascent();
  m.labelWidth = metrics.horizontalAdvance(QLatin1String(kWidestLabel));
  const PlotFrame frame = LayOutPlot(m, points_, passive_, title_.toStdString());
  p.setPen(Qt::black);
  DrawText(p, frame.title);
  DrawPane(p, frame.reply);
  DrawPane(p, frame.loss);
  DrawText(p, frame.unit);
}

}  // namespace tessaro
