#include "ui/TopologyView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include "app/Engine.h"
#include "app/front/TopologyLayout.h"
#include "app/front/ViewTiming.h"
#include "ui/TopologyCanvas.h"

namespace tessaro {

namespace {

QPushButton* MakeButton(QWidget* parent, int index, int id) {
  auto* button = new QPushButton(parent);
  const layout::ButtonGeometry g = layout::ButtonRect(index);
  button->setGeometry(g.x, g.y, g.width, g.height);
  button->setProperty("controlId", id);
  button->setObjectName(QStringLiteral("button%1").arg(id));
  button->setEnabled(false);
  return button;
}

}  // namespace

TopologyView::TopologyView(Engine& engine, TopologyCanvas& canvas, QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      canvas_(canvas),
      mode_(MakeButton(this, 0, view::kModeButtonId)),
      run_(MakeButton(this, 1, view::kRunButtonId)) {
  setObjectName(QStringLiteral("Client"));
  // Every pixel comes from the canvas: no background erase, no flicker.
  setAttribute(Qt::WA_OpaquePaintEvent);
  const ButtonState initial = engine_.Buttons();
  mode_->setText(QString::fromLatin1(initial.modeText));
  run_->setText(QString::fromLatin1(initial.runText));

  for (QPushButton* button : {mode_, run_}) {
    const int id = button->property("controlId").toInt();
    connect(button, &QPushButton::clicked, this, [this, id] { view::ButtonPressed(engine_, id); });
  }
  const std::pair<QTimer*, view::Timer> timers[] = {{&supervision_, view::Timer::kSupervision},
                                                    {&reconnect_, view::Timer::kReconnect}};
  for (const auto& entry : timers) {
    const view::Timer which = entry.second;
    entry.first->setInterval(view::PeriodMs(which));
    entry.first->setTimerType(Qt::PreciseTimer);
    connect(entry.first, &QTimer::timeout, this,
            [this, which] { view::TimerFired(engine_, which); });
  }
  reconnect_.start();

  frame_.setSingleShot(true);
  frame_.setTimerType(Qt::PreciseTimer);
  connect(&frame_, &QTimer::timeout, this, [this] { FlushUpdate(); });
}

void TopologyView::RenderCanvas(bool whole) {
  ContentSize content{};
  const QRect area = engine_.Read([this, whole, &content](const EngineView& v) {
    content = ContentSizeOf(v.registry, v.portOpen);
    return canvas_.Render(TopologyModel{v.registry, v.test, v.portOpen, v.notice}, whole);
  });
  // The scroll area around the view gives it at least this size; the resize
  // that follows renders the larger canvas.
  const QSize needed(content.width, content.height);
  if (minimumSize() != needed) setMinimumSize(needed);
  RequestUpdate(area);
}

void TopologyView::RequestUpdate(const QRegion& area) {
  pendingUpdate_ += area;
  if (frame_.isActive()) return;
  const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : view::kFrameMs;
  if (since >= view::kFrameMs) {
    FlushUpdate();
  } else {
    frame_.start(static_cast<int>(view::kFrameMs - since));
  }
}

void TopologyView::FlushUpdate() {
  if (!pendingUpdate_.isEmpty()) update(pendingUpdate_);
  pendingUpdate_ = QRegion();
  sinceFlush_.start();
}

void TopologyView::ApplyButtons(const ButtonState& state) {
  mode_->setText(QString::fromLatin1(state.modeText));
  run_->setText(QString::fromLatin1(state.runText));
  mode_->setEnabled(state.modeEnabled);
  run_->setEnabled(state.runEnabled);
  if (state.focusMode) {
    // The style draws the focus only after a keyboard focus change: mark
    // this one as such, so that the button a stray Space would press shows.
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    mode_->setFocus(Qt::TabFocusReason);
  }
}

void TopologyView::SetSupervisionTimer(bool running) {
  if (running) {
    supervision_.start();
  } else {
    supervision_.stop();
  }
}

void TopologyView::ResetStats() {
  stats_ = PaintStats{};
  sincePaint_.invalidate();
}

void TopologyView::paintEvent(QPaintEvent* event) {
  if (sincePaint_.isValid()) {
    stats_.longestGapMs = std::max(stats_.longestGapMs, sincePaint_.elapsed());
  }
  sincePaint_.start();
  ++stats_.paints;
  QPainter painter(this);
  canvas_.CopyTo(painter, event->region());
}

void TopologyView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  canvas_.Resize(event->size());
  RenderCanvas(true);
}

}  // namespace tessaro
