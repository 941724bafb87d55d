#pragma once

// How the topology view scrolls when its content is larger than the window,
// the same in every toolkit: the steps of the arrows, the wheel and the page
// keys, and where a scroll bar may stand.

namespace tessaro::scroll {

// One arrow key or scroll-bar arrow, in layout pixels (scaled like the
// layout on a denser screen).
inline constexpr int kLinePixels = 20;
// Lines per wheel notch where the system does not say.
inline constexpr int kWheelLines = 3;
// One notch of the wheel, in the units wheel messages count in.
inline constexpr int kWheelDelta = 120;

enum class Move { kLineBack, kLineForward, kPageBack, kPageForward, kStart, kEnd };

// The highest position of a bar over `content` pixels seen through a window
// of `page` pixels (0 when everything shows).
int MaxPosition(int content, int page);

// `position` kept within 0..MaxPosition.
int Clamp(int position, int content, int page);

// The position after `move` from `position`, a line being `line` pixels.
int Moved(int position, Move move, int content, int page, int line);

// The position after the wheel turned by `delta` (kWheelDelta a notch,
// positive away from the user: back towards the start), `lines` a notch.
// Parts of a notch (fine wheels) scroll their share.
int Wheeled(int position, int delta, int lines, int content, int page, int line);

}  // namespace tessaro::scroll
