#pragma once

#include <cstdint>

#include "app/CellRouter.h"

namespace tessaro {

// Where a window draws a cell text: at a pixel position of its topology view,
// with the text and position decided here so that no front end repeats the
// layout.  A window hands itself to Engine::PlaceCellsFor.
class CellPlacer : public CellSink {
 public:
  // Draws `text` with its top left corner at (x, y).  Called from either
  // thread with the engine lock held: hand the drawing over or do it at once
  // under a lock of your own, and never wait for the window thread.
  virtual void DrawCellAt(int x, int y, const char* text, int colourClass) = 0;

  // Draw the change at its cell, or nothing when the cell is not on screen.
  void CounterChanged(const StationRegistry& registry, int terminal, Counter counter,
                      std::int32_t value, int colourClass) final;
  void BasePropertyChanged(const StationRegistry& registry, int base, BaseProperty property,
                           char value) final;
};

}  // namespace tessaro
