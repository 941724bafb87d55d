#pragma once

#include <QObject>
#include <QPointer>

#include "app/front/WindowDisplay.h"
#include "ui/TopologyCanvas.h"
#include "ui/TopologyView.h"

namespace tessaro {

class StatusBar;

// The Qt window's port of the window kit's display: queued calls on a relay
// object of the window thread, a single-shot timer for the tick, and the
// frame's status bar, view and message boxes.
//
// Create it on the window thread, before the engine; attach the engine, then
// the window.  It owns the topology canvas, which outlives the window.
class QtDisplay final : public WindowDisplay {
 public:
  QtDisplay();
  ~QtDisplay() override;

  // Where panes, cells, message boxes and buttons go.  `owner` owns the
  // message boxes.  nullptrs detach (the window is going).
  void AttachWindow(QWidget* owner, StatusBar* statusBar, TopologyView* view);

  TopologyCanvas& Canvas() { return canvas_; }

 private:
  bool OnWindowThread() const override;
  bool PostToWindow(std::function<void()> call) override;
  CellBox DrawCell(int x, int y, const char* text, int colourClass) override;
  void TickAfter(int ms) override;
  void ShowPaneText(int pane, const char* text) override;
  void ShowCells(const CellBox* spots, int count) override;
  void RenderView(bool whole) override;
  void ApplyButtons(const ButtonState& state) override;
  void RunSupervision(bool running) override;
  void ShowBox(const char* text, const char* caption, MessageIcon icon,
               const char* details) override;

  QObject relay_;  // lives on the window thread; queued calls run in its context
  TopologyCanvas canvas_;
  QPointer<QWidget> owner_;
  QPointer<StatusBar> statusBar_;
  QPointer<TopologyView> view_;
};

}  // namespace tessaro
