#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "link/LineTrace.h"
#include "link/NativeSerialPort.h"
#include "linktest/cli/PathPort.h"
#include "linktest/cli/Runner.h"

namespace tessaro::cli {

// The serial port of a command-line program: the native port, opened by the
// device path when `--port` names one, recorded into a trace when `--trace`
// names a file.
class ToolPort {
 public:
  // false after saying on standard error (as `program`) that the trace file
  // cannot be written.
  bool Make(const std::string& portName, const std::string& tracePath, int argc,
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

  SerialPort& Port() { return *port_; }

 private:
  std::unique_ptr<SerialPort> native_;
  std::unique_ptr<TracingPort> trace_;
  std::unique_ptr<PathPort> path_;
  SerialPort* port_ = nullptr;
};

}  // namespace tessaro::cli
