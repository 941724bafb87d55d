#pragma once

#include <memory>
#include <string>

#include "link/LineTrace.h"
#include "link/PathPort.h"
#include "link/SerialPort.h"

namespace tessaro {

// The serial port a program talks through: the machine's native port,
// recorded into a line trace when a trace file is named, opened by a device
// path when the port named is not one of COM1..COM6.
class PortStack {
 public:
  PortStack();
  ~PortStack();
  PortStack(const PortStack&) = delete;
  PortStack& operator=(const PortStack&) = delete;

  // `tracePath` empty: no trace; `portName` empty or COM1..COM6: the port the
  // settings name.  The trace file's head names the command line (`argc`,
  // `argv`).  false with `error` set ("cannot write FILE: REASON") when the
  // trace file cannot be written.  `traceFile`, when given, is the file the
  // trace is written to for now (a program that puts it in place at the end).
  bool Make(const std::string& portName, const std::string& tracePath, int argc,
            const char* const* argv, std::string& error, const std::string& traceFile = "");

  SerialPort& Port() { return *port_; }
  // Flushes the trace; false when some of it could not be written.  true
  // without a trace.
  bool TraceWrittenInFull() { return trace_ == nullptr || trace_->WrittenInFull(); }
  bool Traced() const { return trace_ != nullptr; }
  // Whether any open of the port succeeded.
  bool EverOpened() const { return path_ != nullptr && path_->EverOpened(); }
  // Closes the trace file, once nothing uses the port any more.
  void CloseTrace() { trace_.reset(); }

 private:
  std::unique_ptr<SerialPort> native_;
  std::unique_ptr<TracingPort> trace_;
  std::unique_ptr<PathPort> path_;
  SerialPort* port_ = nullptr;
};

}  // namespace tessaro
