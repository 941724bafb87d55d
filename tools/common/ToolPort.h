#pragma once

#include <string>

#include "link/PortStack.h"
#include "link/SerialPort.h"

namespace tessaro::cli {

// The serial port of a command-line program (link/PortStack): the native
// port, opened by the device path when `--port` names one, recorded into a
// trace when `--trace` names a file.
class ToolPort {
 public:
  // false after saying on standard error (as `program`) that the trace file
  // cannot be written.
  bool Make(const std::string& portName, const std::string& tracePath, int argc,
            const char* const* argv, const char* program);

  SerialPort& Port() { return stack_.Port(); }
  // Flushes the trace; false when some of it could not be written.  true
  // without a trace.
  bool TraceWrittenInFull() { return stack_.TraceWrittenInFull(); }

 private:
  PortStack stack_;
};

}  // namespace tessaro::cli
