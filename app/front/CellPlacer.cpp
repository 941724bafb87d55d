#include "app/front/CellPlacer.h"

#include "app/front/CellTexts.h"
#include "app/front/TopologyLayout.h"

namespace tessaro {

namespace {

void Place(CellPlacer& placer, const StationRegistry& registry, const CellText& cell,
           int colourClass) {
  int x = 0;
  int y = 0;
  if (!CellPosition(registry, cell.kind, cell.lineOffset, cell.number, &x, &y)) return;
  placer.DrawCellAt(x, y, cell.text, colourClass);
}

}  // namespace

void CellPlacer::CounterChanged(const StationRegistry& registry, int terminal, Counter counter,
                                std::int32_t value, int colourClass) {
  Place(*this, registry, CounterText(terminal, counter, value), colourClass);
}

void CellPlacer::BasePropertyChanged(const StationRegistry& registry, int base,
                                     BaseProperty property, char value) {
  Place(*this, registry, BasePropertyText(base, property, value), kBlack);
}

}  // namespace tessaro
