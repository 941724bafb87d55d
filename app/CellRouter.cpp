#include "app/CellRouter.h"

#include "app/front/TopologyLayout.h"

namespace tessaro {

void CellRouter::UpdateCell(char kind, int lineOffset, int number, const char* text,
                            int colourClass) {
  if (placer_ == nullptr) {
    display_.UpdateCell(kind, lineOffset, number, text, colourClass);
    return;
  }
  int x = 0;
  int y = 0;
  if (text == nullptr || !CellPosition(registry_, kind, lineOffset, number, &x, &y)) return;
  placer_->DrawCellAt(x, y, text, colourClass);
}

}  // namespace tessaro
