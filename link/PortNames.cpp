#include "link/PortNames.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessaro {

namespace {

// 1..6 for "COM1".."COM6", else 0.
int ComNumber(const char* name) {
  if (std::strncmp(name, "COM", 3) != 0) return 0;
  if (name[3] < '1' || name[3] > '6' || name[4] != '\0') return 0;
  return name[3] - '0';
}

}  // namespace

bool ResolvePortName(const char* name, char* path, std::size_t size) {
  if (name == nullptr || path == nullptr || size == 0) return false;
  const int com = ComNumber(name);
  int written = 0;
  if (com == 0) {
    written = std::snprintf(path, size, "%s", name);
  } else {
    char variable[] = "TESSARO_COM0";
    variable[sizeof variable - 2] = static_cast<char>('0' + com);
    // Read once at each open; nothing in the program sets it, so the reader
    // thread never races a writer of the environment.
    const char* configured = std::getenv(variable);
    if (configured != nullptr && configured[0] != '\0') {
      written = std::snprintf(path, size, "%s", configured);
    } else {
      written = std::snprintf(path, size, "/dev/ttyS%d", com - 1);
    }
  }
  return written > 0 && static_cast<std::size_t>(written) < size;
}

}  // namespace tessaro
