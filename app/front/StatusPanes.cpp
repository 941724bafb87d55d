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

std::string ShownPaneText(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  std::string shown(text);
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return shown;
}

}  // namespace tessaro
