#include <fcntl.h>
#include <io.h>

#include "app/replay/BinaryInput.h"

namespace tessaro {

void UseBinaryInput(std::FILE* stream) {
  (void)_setmode(_fileno(stream), _O_BINARY);
}

}  // namespace tessaro
