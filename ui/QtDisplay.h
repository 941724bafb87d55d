#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <atomic>
#include <mutex>

#include "app/front/CellPlacer.h"
#include "app/front/HandOver.h"
#include "app/front/PaneTexts.h"
#include "core/Display.h"
#include "ui/CellSpots.h"
#include "ui/TopologyCanvas.h"
#include "ui/TopologyView.h"

namespace tessaro {

class Engine;
class StatusBar;

// The window's side of the core's Display.  Calls from the reader thread are
// handed to the window thread with queued calls and never wait for it; each
// kind of call (pane texts, cell areas, repaints) has at most one queued call
// outstanding, carrying whatever is latest when it runs, so a flood of
// messages cannot grow the window thread's queue.  Pane texts and cell
// redraws from the reader reach the window at a steady pace while they keep
// coming, with no post per message: one tick every kCellMs shows the cells,
// and the panes when kPaneMs have passed, so that both land in one paint.
//
// Create it on the window thread, before the engine; attach the engine, then
// the window.  It owns the topology canvas, which outlives the window.
//
// ShowMessage runs a modal loop on the window thread, and a repaint queued
// before it runs inside that loop and takes the engine lock: never show a
// message with the engine lock held.
class QtDisplay final : public Display, public CellPlacer {
 public:
  QtDisplay();
  ~QtDisplay() override;

  // Has the engine place every cell redraw (DrawCellAt).
  void AttachEngine(Engine& engine);
  // Where panes, cells, message boxes and buttons go.  `owner` owns the
  // message boxes.  nullptrs detach (the window is going).
  void AttachWindow(QWidget* owner, StatusBar* statusBar, TopologyView* view);

  TopologyCanvas& Canvas() { return canvas_; }

  void SetPaneText(int pane, const char* text) override;
  void DrawCellAt(int x, int y, const char* text, int colourClass) override;
  void InvalidateTopology() override;
  void InvalidateView() override;
  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;
  void ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                              const char* details) override;
  void SetButtons(const ButtonState& state) override;
  void SetSupervisionTimer(bool running) override;

  // How many of our queued calls wait in the window thread's queue now, and
  // the most there ever were.
  int QueuedCalls() const { return queue_.Now(); }
  int MostQueuedCalls() const { return queue_.Most(); }

 private:
  // The panes show the latest message: ten times a second is as fast as it
  // can be read, and a status bar relayout per frame costs the window.
  static constexpr int kPaneMs = 100;
  // Counters keep changing all over the view during a test: every other
  // frame is smooth to the eye.
  static constexpr int kCellMs = 2 * TopologyView::kFrameMs;

  bool OnWindowThread() const;
  template <typename F>
  void Post(F&& call);
  // Hands the pane texts, or the cell area, drawn so far to the window;
  // false when there was none.  Window thread.
  bool ShowPanes();
  bool ShowCells();
  bool PanesWaiting();
  bool CellsWaiting();
  // Reader thread: has the tick run unless it runs already.
  void WakeTick();
  // Shows what waits and comes back after kCellMs while anything does, with
  // `tickPosted_` set meanwhile so that the reader thread posts nothing.
  void Tick();
  void FlushRender();

  QObject relay_;  // lives on the window thread; queued calls run in its context
  TopologyCanvas canvas_;
  QPointer<QWidget> owner_;
  QPointer<StatusBar> statusBar_;
  QPointer<TopologyView> view_;

  PaneTexts panes_;
  QElapsedTimer panesShown_;  // window thread

  std::mutex cellMutex_;
  CellSpots cellSpots_;
  std::atomic<bool> tickPosted_{false};

  RenderRequest render_;
  QueueGauge queue_;
};

}  // namespace tessaro
