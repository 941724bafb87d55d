// The download over a pseudo-terminal paced like a 115200-baud line, with a
// loader that acknowledges each packet as soon as its last byte is in: image
// bytes per second against the packet format's ceiling, and the processor
// time the download takes.  Also the speed of the whole-file check.

#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "PacedLoader.h"
#include "download/DownloadSession.h"
#include "download/ImageCheck.h"
#include "link/NativeSerialPort.h"
#include "remote/Ser2net.h"
#include "support/PtyPair.h"

namespace {

using Steady = std::chrono::steady_clock;
using tessaro::bench::PacedLoader;
using tessaro::bench::WriteImage;
using tessaro::testing::PtyPair;

class BenchUi final : public tessaro::DownloadUi {
 public:
  explicit BenchUi(std::string path) : path_(std::move(path)) {}
  bool ChooseImageFile(char* path, std::size_t size) override {
    std::snprintf(path, size, "%s", path_.c_str());
    return true;
  }
  void ShowMessage(const char* text, const char* caption, tessaro::DownloadBox,
                   tessaro::BoxOwner) override {
    std::printf("  [%s] %s\n", caption, text);
  }
  bool AskRetry(const char*, const char*) override { return false; }
  void ShowProgress() override { start = Steady::now(); }
  void SetProgress(int) override {}
  void HideProgress() override { end = Steady::now(); }
  void LetWindowsPaint() override {}
  Steady::time_point start, end;

 private:
  std::string path_;
};

double ThreadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// `via`: "" straight to the pty, else "rfc2217" or "tcp" through ser2net on
// it, with its `options` ("chardelay: false" turns off its wait for more
// characters before it sends what came from the line).
void Throughput(const std::string& path, int imageBytes, const std::string& via,
                const std::string& options = "") {
  PtyPair pty;
  if (!pty.Ok()) {
    std::printf("no pseudo-terminal: %s\n", std::strerror(errno));
    return;
  }
  tessaro::testing::Ser2net server;
  if (via.empty()) {
    ::setenv("TESSARO_COM1", pty.SlavePath().c_str(), 1);
  } else {
    std::string error;
    const std::string dir = path.substr(0, path.rfind('/'));
    if (!tessaro::testing::Ser2net::Installed() ||
        !server.Start(dir, pty.SlavePath(), 115200, &error, options)) {
      std::printf("download through ser2net (%s): not measured, %s\n", via.c_str(),
                  error.empty() ? "ser2net is not installed" : error.c_str());
      return;
    }
    ::setenv("TESSARO_COM1", (via == "tcp" ? server.RawUrl() : server.Rfc2217Url()).c_str(), 1);
  }
  WriteImage(path, imageBytes);
  PacedLoader loader(pty.Master());
  std::thread far([&] { loader.Run(); });

  auto port = tessaro::MakeNativeSerialPort();
  tessaro::SteadyClock clock;
  BenchUi ui(path);
  tessaro::PortSettings settings;
  tessaro::DownloadState state;
  const double cpu0 = ThreadCpuSeconds();
  const auto wall0 = Steady::now();
  const bool completed = tessaro::RunDownload(*port, settings, clock, ui, state) ==
                         tessaro::DownloadResult::kCompleted;
  const double cpu = ThreadCpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(Steady::now() - wall0).count();
  loader.Stop();
  far.join();

  const double seconds = std::chrono::duration<double>(ui.end - ui.start).count();
  const double rate = loader.ImageBytes() / seconds;
  const double ceiling = tessaro::bench::kCeilingBytesPerSecond;
  std::printf("download of %d image bytes over a paced 115200-baud pty%s%s%s%s: %s\n", imageBytes,
              via.empty() ? "" : ", through ser2net over ", via.c_str(),
              options.empty() ? "" : ", ", options.c_str(), completed ? "completed" : "failed");
  std::printf("  packet phase         %.2f s, %.0f image bytes/s\n", seconds, rate);
  std::printf("  ceiling              %.0f image bytes/s (96 data bytes per 105-byte packet + 3)\n",
              ceiling);
  std::printf("  share of ceiling     %.1f %%  (goal >= 95 %%)\n", 100.0 * rate / ceiling);
  std::printf("  download thread CPU  %.3f s of %.2f s wall = %.2f %% of one core  (goal < 5 %%)\n",
              cpu, wall, 100.0 * cpu / wall);
}

void CheckSpeed(const std::string& path) {
  const int bytes = 4 * 1024 * 1024;
  const std::string text = WriteImage(path, bytes);
  tessaro::ImageFile image;
  if (!image.Open(path.c_str())) return;
  const auto t0 = Steady::now();
  const tessaro::FaultDetail fault = tessaro::CheckImage(image);
  const double s = std::chrono::duration<double>(Steady::now() - t0).count();
  std::printf(
      "whole-file check of a %.1f MiB S-record file (%d image bytes): %.1f ms, %.0f MiB/s%s\n",
      static_cast<double>(text.size()) / (1024 * 1024), bytes, s * 1e3,
      static_cast<double>(text.size()) / (1024 * 1024) / s,
      fault.fault == tessaro::ImageFault::kNone ? "" : " (refused!)");
}

}  // namespace

int main(int argc, char** argv) {
  int imageBytes = 48 * 1024;
  if (argc > 1) imageBytes = std::max(16, std::atoi(argv[1]));
  char dir[] = "/tmp/tessaro-dlbench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string path = std::string(dir) + "/bench.abo";
  Throughput(path, imageBytes, "");
  for (const char* via : {"rfc2217", "tcp"}) Throughput(path, imageBytes, via);
  Throughput(path, imageBytes, "rfc2217", "chardelay: false");
  CheckSpeed(path);
  unlink(path.c_str());
  rmdir(dir);
  return 0;
}
