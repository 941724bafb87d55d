#pragma once

#include <string>
#include <string_view>

namespace tessaro {

inline constexpr int kStatusPanes = 3;

// Right edges of the first two panes, counted from the right edge of the
// frame's client area; the last pane ends at the bar's right edge.
inline constexpr int kPane0FromRight = 500;
inline constexpr int kPane1FromRight = 180;

struct PaneSpan {
  int left, right;
};

// Where the three panes of a bar `width` pixels wide go.  A bar narrower
// than the fixed panes keeps the right panes whole as far as it can and lets
// the first pane shrink to nothing; panes never overlap.
void PlaceStatusPanes(int width, PaneSpan (&panes)[kStatusPanes]);

// What a pane shows of a text the core gave it: the message without the
// "\r" (or "\n") that ends it, other control characters as blanks.
std::string ShownPaneText(std::string_view text);

}  // namespace tessaro
