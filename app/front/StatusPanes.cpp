#include "app/front/StatusPanes.h"

#include <algorithm>

namespace tessaro {

void PlaceStatusPanes(int width, PaneSpan (&panes)[kStatusPanes]) {
  width = std::max(0, width);
  const int right0 = std::max(0, width - kPane0FromRight);
  const int right1 = std::max(right0, width - kPane1FromRight);
  panes[0] = {0, right0};
  panes[1] = {right0, right1};
  panes[2] = {right1, width};
}

}  // namespace tessaro
