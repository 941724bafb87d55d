#pragma once

#include <QWidget>
#include <vector>

#include "app/front/StatisticsModel.h"

namespace tessaro {

// Two plots over the seconds of the run, one above the other: the mean reply
// time of each second and the share of each second's packets that were lost.
// Seconds without a figure leave a gap in the line.  Painted by hand: two
// line series need no chart library.
class SeriesPlot final : public QWidget {
 public:
  explicit SeriesPlot(QWidget* parent = nullptr);

  // The terminal shown (`title`) and its seconds; repaints.
  void SetSeries(const QString& title, std::vector<SeriesPoint> points, bool passive);

  const std::vector<SeriesPoint>& Points() const { return points_; }

  QSize sizeHint() const override { return {640, 360}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  std::vector<SeriesPoint> points_;
  bool passive_ = false;
};

}  // namespace tessaro
