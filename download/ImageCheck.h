#pragma once

#include "download/ImageFault.h"
#include "download/ImageFile.h"

namespace tessaro {

// Reads the whole open image, up to and including its end record, and says
// what is wrong with it (fault kNone: nothing).  The file is left at its
// first byte.  A wrong byte written into a base's flash is lost data, so a
// file is refused before the handshake rather than halfway through.
FaultDetail CheckImage(ImageFile& image);

}  // namespace tessaro
