#include "tools/replay/BinaryInput.h"

namespace tessaro {

// POSIX streams never translate bytes.
void UseBinaryInput(std::FILE*) {}

}  // namespace tessaro
