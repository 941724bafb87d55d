#include "sim/LineRecorder.h"

#include "link/LineTrace.h"

namespace tessaro::sim {

LineRecorder::LineRecorder(std::FILE* file)
    : file_(file), start_(std::chrono::steady_clock::now()) {}

void LineRecorder::Record(const char* event, const std::string& rest) {
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(file_, "%.3f %s%s%s\n", ms, event, rest.empty() ? "" : " ", rest.c_str());
}

void LineRecorder::Opened(const std::string& path) {
  Record("open", path + " ok");
  speed_ = -1;
}

void LineRecorder::Read(const char* bytes, std::size_t count) {
  Record("<", EscapeLineBytes(bytes, count));
}

void LineRecorder::Wrote(const char* bytes, std::size_t count) {
  Record(">", EscapeLineBytes(bytes, count));
}

void LineRecorder::Speed(int baud) {
  if (baud == speed_) return;
  speed_ = baud;
  Record("speed", std::to_string(baud));
}

void LineRecorder::HungUp() {
  Record("hangup", "");
  std::fflush(file_);
}

void LineRecorder::Closed() {
  Record("close", "");
  std::fflush(file_);
}

}  // namespace tessaro::sim
