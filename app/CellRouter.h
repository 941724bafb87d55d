#pragma once

#include "core/Display.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// Where a window draws a cell text: at a pixel position of its topology view,
// placed by the application layer so that no front end repeats the layout.
class CellPlacer {
 public:
  virtual ~CellPlacer() = default;
  // Draws `text` with its top left corner at (x, y).  Called from either
  // thread with the engine lock held: hand the drawing over or do it at once
  // under a lock of your own, and never wait for the window thread.
  virtual void DrawCellAt(int x, int y, const char* text, int colourClass) = 0;
};

// The display the core talks to.  It passes every call on to the front end's
// display, except that with a placer attached a cell redraw becomes a draw at
// the cell's position, or nothing when the cell is not on screen.  Every call
// of the core comes with the engine lock held, so the registry holds still.
class CellRouter final : public Display {
 public:
  CellRouter(Display& display, const StationRegistry& registry)
      : display_(display), registry_(registry) {}

  void SetPlacer(CellPlacer* placer) { placer_ = placer; }

  void SetPaneText(int pane, const char* text) override { display_.SetPaneText(pane, text); }
  void UpdateCell(char kind, int lineOffset, int number, const char* text,
                  int colourClass) override;
  void InvalidateTopology() override { display_.InvalidateTopology(); }
  void InvalidateView() override { display_.InvalidateView(); }
  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override {
    display_.ShowMessage(text, caption, icon);
  }
  void ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                              const char* details) override {
    display_.ShowMessageWithDetails(text, caption, icon, details);
  }
  void SetButtons(const ButtonState& state) override { display_.SetButtons(state); }
  void SetSupervisionTimer(bool running) override { display_.SetSupervisionTimer(running); }

 private:
  Display& display_;
  const StationRegistry& registry_;
  CellPlacer* placer_ = nullptr;
};

}  // namespace tessaro
