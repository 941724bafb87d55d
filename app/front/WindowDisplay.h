#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

#include "app/front/CellPlacer.h"
#include "app/front/CellSpots.h"
#include "app/front/HandOver.h"
#include "app/front/PaneTexts.h"
#include "core/Display.h"

namespace tessaro {

class Engine;

// The window's side of the core's Display, the same for every toolkit; the
// toolkit's adapter derives from it and implements the port below (how to
// reach the window thread, and what the window shows).
//
// Calls from the reader thread are handed to the window thread and never
// wait for it; each kind of call (pane texts, cell areas, repaints) has at
// most one hand-over outstanding, carrying whatever is latest when it runs,
// so a flood of messages cannot grow the window thread's queue.  Pane texts
// and cell redraws from the reader reach the window at a steady pace while
// they keep coming, with no hand-over per message: one tick every
// view::kCellMs shows the cells, and the panes when view::kPaneMs have
// passed, so that both land in one paint.
//
// Create it on the window thread, before the engine; attach the engine.  A
// message box runs a modal loop on the window thread, and a repaint handed
// over before it runs inside that loop and takes the engine lock: never show
// a message with the engine lock held.
class WindowDisplay : public Display, public CellPlacer {
 public:
  WindowDisplay() = default;
  WindowDisplay(const WindowDisplay&) = delete;
  WindowDisplay& operator=(const WindowDisplay&) = delete;

  // Has the engine place every cell redraw (DrawCellAt).
  void AttachEngine(Engine& engine);

  void SetPaneText(int pane, const char* text) final;
  void DrawCellAt(int x, int y, const char* text, int colourClass) final;
  void InvalidateTopology() final;
  void InvalidateView() final;
  void ShowMessage(const char* text, const char* caption, MessageIcon icon) final;
  void ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                              const char* details) final;
  void SetButtons(const ButtonState& state) final;
  void SetSupervisionTimer(bool running) final;

  // Window thread: the tick asked for with TickAfter.
  void Tick();

  // Hand-overs waiting for the window thread now, and the most there ever
  // were.
  int QueuedCalls() const { return queue_.Now(); }
  int MostQueuedCalls() const { return queue_.Most(); }

 protected:
  ~WindowDisplay() override = default;

  // The port.  Any thread:
  virtual bool OnWindowThread() const = 0;
  // Runs `call` on the window thread later, without waiting; false (and
  // nothing queued) when there is no window to run it.
  virtual bool PostToWindow(std::function<void()> call) = 0;
  // Draws a cell text into the canvas at once (under the canvas's own lock)
  // and returns the area it covered.
  virtual CellBox DrawCell(int x, int y, const char* text, int colourClass) = 0;
  // Window thread only:
  // Calls Tick once, `ms` from now.
  virtual void TickAfter(int ms) = 0;
  virtual void ShowPaneText(int pane, const char* text) = 0;
  // The canvas changed in these spots: copy them to the screen.
  virtual void ShowCells(const CellBox* spots, int count) = 0;
  // Render the canvas from the model (the whole view or the topology part)
  // and show it.  Takes the engine lock.
  virtual void RenderView(bool whole) = 0;
  virtual void ApplyButtons(const ButtonState& state) = 0;
  virtual void RunSupervision(bool running) = 0;
  virtual void ShowBox(const char* text, const char* caption, MessageIcon icon,
                       const char* details) = 0;

 private:
  // Hands `call` over, counted in the gauge; false when it could not be.
  bool Post(std::function<void()> call);
  bool ShowPanes();
  bool ShowCellsNow();
  bool CellsWaiting();
  // Reader thread: has the tick run unless it runs already.
  void WakeTick();
  void FlushRender();

  PaneTexts panes_;
  std::chrono::steady_clock::time_point panesShown_{};  // window thread
  bool panesEverShown_ = false;

  std::mutex cellMutex_;
  CellSpots cellSpots_;
  std::atomic<bool> tickPosted_{false};

  RenderRequest render_;
  QueueGauge queue_;
};

}  // namespace tessaro
