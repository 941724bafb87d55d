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
  if (stack_.Traced()) (void)Finish();
}

bool ToolPort::Make(const std::string& portName, const std::string& tracePath, int argc,
                    const char* const* argv, const char* program) {
  program_ = program;
  std::string target;
  if (!tracePath.empty()) {
    tracePath_ = tracePath;
    traceRenamed_ = ReplacedByRename(tracePath);
    target = traceRenamed_ ? PartialPath(Resolved(tracePath)) : tracePath;
    traceTarget_ = target;
  }
  std::string error;
  if (!stack_.Make(portName, tracePath, argc, argv, error, target)) {
    std::fprintf(stderr, "%s: %s\n", program, error.c_str());
    if (traceRenamed_) std::remove(traceTarget_.c_str());
    return false;
  }
  return true;
}

bool ToolPort::TraceWrittenInFull() {
  if (!stack_.Traced()) return true;
  const bool whole = stack_.TraceWrittenInFull();
  if (!whole) cutReported_ = true;
  return whole;
}

bool ToolPort::Finish() {
  if (!stack_.Traced()) return true;
  errno = 0;
  const bool whole = stack_.TraceWrittenInFull();
  const int error = errno;
  stack_.CloseTrace();
  if (traceRenamed_) {
    std::error_code ec;
    if (!stack_.EverOpened()) {
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
