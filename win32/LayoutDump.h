#pragma once

#include <windows.h>

#include <string>

#include "app/front/ViewScale.h"

namespace tessaro {

class Engine;

// Writes where the view's full repaint puts each picture and each text for
// the network as it stands, one line each, so that a screenshot can be
// checked at those places:
//   picture NAME LEFT TOP WIDTH HEIGHT
//   text LEFT TOP RIGHT BOTTOM COLOUR TEXT
// in the window's pixels: the layout at `scale` on a canvas `height` device
// pixels high, seen from the canvas point `origin` (the scroll position).
// false when the file cannot be written.
bool WriteLayout(const Engine& engine, const ViewScale& scale, int height, POINT origin,
                 const std::string& path);

}  // namespace tessaro
