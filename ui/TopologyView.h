#pragma once

#include <QElapsedTimer>
#include <QPushButton>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include "core/Display.h"

namespace tessaro {

class Engine;
class TopologyCanvas;

// The child view of the frame (class `Client`): copies the topology canvas to
// the screen and carries the mode and run buttons and the view's timers
// (app/front/ViewTiming.h).
class TopologyView final : public QWidget {
 public:
  TopologyView(Engine& engine, TopologyCanvas& canvas, QWidget* parent);

  // Renders the canvas from the model (the whole view, or the topology part
  // right of the separator) and schedules the screen update.  Takes the
  // engine lock: never call it with that lock held.
  void RenderCanvas(bool whole);

  // Merges `area` into the next screen update, at most one per frame.  The
  // update copies only the rectangles of `area`, not the box around them:
  // counters that change all over a large view are small spots of it.
  void RequestUpdate(const QRegion& area);

  void ApplyButtons(const ButtonState& state);
  void SetSupervisionTimer(bool running);

  QPushButton* ModeButton() const { return mode_; }
  QPushButton* RunButton() const { return run_; }
  bool SupervisionTimerActive() const { return supervision_.isActive(); }

  // Paints so far and the longest time between two paints, for measuring.
  struct PaintStats {
    long paints = 0;
    qint64 longestGapMs = 0;
  };
  PaintStats Stats() const { return stats_; }
  void ResetStats();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FlushUpdate();

  Engine& engine_;
  TopologyCanvas& canvas_;
  QPushButton* mode_;
  QPushButton* run_;
  QTimer supervision_;
  QTimer reconnect_;
  QTimer frame_;
  QRegion pendingUpdate_;
  QElapsedTimer sinceFlush_;
  QElapsedTimer sincePaint_;
  PaintStats stats_;
};

}  // namespace tessaro
