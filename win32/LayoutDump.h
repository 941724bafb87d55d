#pragma once

#include <string>

namespace tessaro {

class Engine;

// Writes where the view's full repaint puts each picture and each text for
// the network as it stands, one line each, so that a screenshot can be
// checked at those places:
//   picture NAME LEFT TOP WIDTH HEIGHT
//   text LEFT TOP RIGHT BOTTOM COLOUR TEXT
// `height` is the view's client height.  false when the file cannot be
// written.
bool WriteLayout(const Engine& engine, int height, const std::string& path);

}  // namespace tessaro
