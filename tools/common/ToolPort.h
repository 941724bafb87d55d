#pragma once

#include <string>

#include "link/PortStack.h"
#include "link/SerialPort.h"

namespace tessaro::cli {

// The serial port of a command-line program (link/PortStack): the native port, opened by the
// device path when `--port` names one, recorded into a trace when `--trace`
// names a file.  The trace is written beside the file (tools/common/
// OutputFile.h) and put in its place by Finish; a run whose port never
// opened leaves an earlier trace as it was.
class ToolPort {
 public:
  ToolPort() = default;
  ~ToolPort();
  ToolPort(const ToolPort&) = delete;
  ToolPort& operator=(const ToolPort&) = delete;

  // false after saying on standard error (as `program`) that the trace file
  // cannot be written.
  bool Make(const std::string& portName, const std::string& tracePath, int argc,
            const char* const* argv, const char* program);

  SerialPort& Port() { return stack_.Port(); }
  // Flushes the trace; false when some of it could not be written.  true
  // without a trace.
  bool TraceWrittenInFull();

  // Once nothing uses the port any more: closes the trace and puts it in
  // place, or drops it when the port never opened.  false after saying on
  // standard error that the trace did not arrive whole (a full disk,
  // /dev/full).
  bool Finish();

 private:
  PortStack stack_;
  std::string tracePath_;    // as given
  std::string traceTarget_;  // the file written
  bool traceRenamed_ = false;
  bool cutReported_ = false;  // TraceWrittenInFull said false: its caller says so
  std::string program_;
};

}  // namespace tessaro::cli
