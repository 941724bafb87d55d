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
// the screen and carries the mode button (401), the run button (402) and the
// link test's 500 ms supervision timer.
class TopologyView final : public QWidget {
 public:
  static constexpr int kModeButtonId = 401;
  static constexpr int kRunButtonId = 402;
  static constexpr int kSupervisionMs = 500;
  // Screen updates are merged to at most one per frame of this length, so a
  // flood of cell redraws cannot turn into thousands of paints a second.
  static constexpr int kFrameMs = 16;

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
  // Once a second: reopens a lost device when the operator asked for it.
  QTimer reconnect_;
  QTimer frame_;
  QRegion pendingUpdate_;
  QElapsedTimer sinceFlush_;
  QElapsedTimer sincePaint_;
  PaintStats stats_;
};

}  // namespace tessaro
