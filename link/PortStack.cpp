#include "link/PortStack.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/NativeSerialPort.h"
#include "link/PortSettings.h"

namespace tessaro {

PortStack::PortStack() : native_(MakeNativeSerialPort()), port_(native_.get()) {}

PortStack::~PortStack() = default;

bool PortStack::Make(const std::string& portName, const std::string& tracePath, int argc,
                     const char* const* argv, std::string& error, const std::string& traceFile) {
  // The trace sits under the path, so that it names the device opened.
  if (!tracePath.empty()) {
    const std::string& written = traceFile.empty() ? tracePath : traceFile;
    std::FILE* file = TracingPort::OpenTraceFile(written.c_str(), argc, argv);
    if (file == nullptr) {
      error = "cannot write " + tracePath + ": " + std::strerror(errno);
      return false;
    }
    trace_ = std::make_unique<TracingPort>(*port_, file);
    port_ = trace_.get();
  }
  bool named = portName.empty();
  for (const char* known : PortNameTable) named = named || portName == known;
  path_ = std::make_unique<PathPort>(*port_, named ? std::string() : portName);
  port_ = path_.get();
  return true;
}

}  // namespace tessaro
