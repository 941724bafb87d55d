#include "tools/common/ToolPort.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "link/NativeSerialPort.h"
#include "tools/common/Console.h"
#include "tools/common/OutputFile.h"

namespace tessaro::cli {

int ComPortIndex(const char* name) {
  if (std::strlen(name) == 4 && std::strncmp(name, "COM", 3) == 0 && name[3] >= '1' &&
      name[3] <= '6') {
    return name[3] - '1';
  }
  return -1;
}

ToolPort::~ToolPort() {
  // A program that ends without Finish (an error on the way) keeps what it
  // recorded, under the temporary name at least.
  if (traceFile_ != nullptr) (void)Finish();
}

bool ToolPort::Make(const std::string& portName, const std::string& tracePath, int argc,
                    const char* const* argv, const char* program) {
  program_ = program;
  native_ = MakeNativeSerialPort();
  port_ = native_.get();
  // The trace sits under the path, so that it names the device opened.
  if (!tracePath.empty()) {
    tracePath_ = tracePath;
    traceRenamed_ = ReplacedByRename(tracePath);
    traceTarget_ = traceRenamed_ ? PartialPath(Resolved(tracePath)) : tracePath;
    traceFile_ = TracingPort::OpenTraceFile(traceTarget_.c_str(), argc, argv);
    if (traceFile_ == nullptr) {
      std::fprintf(stderr, "%s: cannot write %s: %s\n", program, tracePath.c_str(),
                   std::strerror(errno));
      if (traceRenamed_) std::remove(traceTarget_.c_str());
      return false;
    }
    trace_ = std::make_unique<TracingPort>(*port_, traceFile_);
    port_ = trace_.get();
  }
  path_ = std::make_unique<PathPort>(*port_, ComPortIndex(portName.c_str()) < 0 ? portName : "");
  port_ = path_.get();
  return true;
}

bool ToolPort::TraceWrittenInFull() {
  if (trace_ == nullptr) return true;
  const bool whole = trace_->WrittenInFull();
  if (!whole) cutReported_ = true;
  return whole;
}

bool ToolPort::Finish() {
  if (traceFile_ == nullptr) return true;
  errno = 0;
  const bool whole = trace_->WrittenInFull();
  const int error = errno;
  traceFile_ = nullptr;
  trace_.reset();  // closes the file
  if (traceRenamed_) {
    std::error_code ec;
    if (!path_->EverOpened()) {
      std::filesystem::remove(traceTarget_, ec);
      return true;
    }
    std::filesystem::rename(traceTarget_, Resolved(tracePath_), ec);
    if (ec) {
      std::fprintf(stderr, "%s: cannot write the trace %s: %s (it is in %s)\n", program_.c_str(),
                   tracePath_.c_str(), ec.message().c_str(), traceTarget_.c_str());
      return false;
    }
  }
  if (!whole && !cutReported_) {
    std::fprintf(stderr, "%s: cannot write the trace %s: %s; it is incomplete\n", program_.c_str(),
                 tracePath_.c_str(), error != 0 ? std::strerror(error) : "write error");
  }
  return whole;
}

}  // namespace tessaro::cli
