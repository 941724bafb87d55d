#pragma once

#include <memory>
#include <string>

#include "link/LineTrace.h"
#include "link/SerialPort.h"
#include "tools/common/PathPort.h"

namespace tessaro::cli {

// The serial port of a command-line program: the native port, opened by the
// device path when `--port` names one, recorded into a trace when `--trace`
// names a file.
class ToolPort {
 public:
  // false after saying on standard error (as `program`) that the trace file
  // cannot be written.
  bool Make(const std::string& portName, const std::string& tracePath, int argc,
            const char* const* argv, const char* program);

  SerialPort& Port() { return *port_; }
  // Flushes the trace; false when some of it could not be written.  true
  // without a trace.
  bool TraceWrittenInFull() { return trace_ == nullptr || trace_->WrittenInFull(); }

 private:
  std::unique_ptr<SerialPort> native_;
  std::unique_ptr<TracingPort> trace_;
  std::unique_ptr<PathPort> path_;
  SerialPort* port_ = nullptr;
};

}  // namespace tessaro::cli
