#include "tools/common/ToolPort.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/NativeSerialPort.h"
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
  native_ = MakeNativeSerialPort();
  port_ = native_.get();
  // The trace sits under the path, so that it names the device opened.
  if (!tracePath.empty()) {
    std::FILE* file = TracingPort::OpenTraceFile(tracePath.c_str(), argc, argv);
    if (file == nullptr) {
      std::fprintf(stderr, "%s: cannot write %s: %s\n", program, tracePath.c_str(),
                   std::strerror(errno));
      return false;
    }
    trace_ = std::make_unique<TracingPort>(*port_, file);
    port_ = trace_.get();
  }
  if (ComPortIndex(portName.c_str()) < 0) {
    path_ = std::make_unique<PathPort>(*port_, portName);
    port_ = path_.get();
  }
  return true;
}

}  // namespace tessaro::cli
