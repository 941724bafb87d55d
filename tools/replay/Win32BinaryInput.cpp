#include <fcntl.h>
#include <io.h>

#include "tools/replay/BinaryInput.h"

namespace tessaro {

void UseBinaryInput(std::FILE* stream) {
  (void)_setmode(_fileno(stream), _O_BINARY);
}

}  // namespace tessaro
