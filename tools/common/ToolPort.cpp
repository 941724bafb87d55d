#include "tools/common/ToolPort.h"

#include <cstdio>
#include <cstring>

#include "tools/common/Console.h"

namespace tessaro::cli {

int ComPortIndex(const char* name) {
  if (std::strlen(name) == 4 && std::strncmp(name, "COM", 3) == 0 && name[3] >= '1' &&
      name[3] <= '6') {
    return name[3] - '1';
  }
  return -1;
}

bool ToolPort::Make(const std::string& portName, const std::string& tracePath, int argc,
                    const char* const* argv, const char* program) {
  std::string error;
  if (stack_.Make(portName, tracePath, argc, argv, error)) return true;
  std::fprintf(stderr, "%s: %s\n", program, error.c_str());
  return false;
}

}  // namespace tessaro::cli
