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
#include <string>
#include <thread>
#include <vector>

#include "download/DownloadSession.h"
#include "download/ImageCheck.h"
#include "link/NativeSerialPort.h"
#include "support/PtyPair.h"

namespace {

using Steady = std::chrono::steady_clock;
using tessaro::testing::PtyPair;

// 8N1: ten bit times per byte.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 115200);

// A loader at the far end of a full-duplex 115200-baud line.  Bytes the PC
// writes land in the pty at once; the loader counts each one as arrived one
// byte time after the previous, answers a complete packet or line as soon as
// its last byte has arrived, and its answer reaches the PC three byte times
// later.
class PacedLoader {
 public:
  explicit PacedLoader(int master) : master_(master) {}

  void Run() {
    Steady::time_point inFree{}, outFree{};
    std::vector<std::uint8_t> packet;
    bool inPacket = false;
    while (!stop_.load(std::memory_order_acquire)) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      std::uint8_t chunk[512];
      const ssize_t n = read(master_, chunk, sizeof chunk);
      if (n <= 0) continue;
      const auto seen = Steady::now();
      for (ssize_t i = 0; i < n; ++i) {
        inFree = std::max(inFree, seen) + kByteTime;
        if (packet.empty()) inPacket = chunk[i] == 'S';
        packet.push_back(chunk[i]);
        const bool complete =
            inPacket ? packet.size() >= 3 && packet.size() == packet[2] + 4u : chunk[i] == '\r';
        if (!complete) continue;
        const char* reply = inPacket ? "FA\r" : "FN\r";  // "FN" to the wake-up: ready
        if (inPacket && packet[1] == '3') imageBytes_ += packet[2] - 5;
        packet.clear();
        std::this_thread::sleep_until(inFree);
        outFree = std::max(outFree, inFree) + 3 * kByteTime;
        std::this_thread::sleep_until(outFree);
        (void)!write(master_, reply, 3);
      }
    }
  }
  void Stop() { stop_.store(true, std::memory_order_release); }
  long ImageBytes() const { return imageBytes_; }

 private:
  int master_;
  std::atomic<bool> stop_{false};
  long imageBytes_ = 0;
};

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

// `bytes` of image as S3 records of 16 data bytes, CR LF, one address run.
std::string WriteImage(const std::string& path, int bytes) {
  std::string text;
  for (int offset = 0; offset < bytes; offset += 16) {
    char line[64];
    const std::uint32_t address = 0x08000000u + static_cast<std::uint32_t>(offset);
    unsigned sum = 21;
    int n = std::snprintf(line, sizeof line, "S315%08X", address);
    for (int k = 0; k < 4; ++k) sum += (address >> (8 * k)) & 0xFF;
    for (int i = 0; i < 16; ++i) {
      const unsigned b = static_cast<unsigned>((offset + i) * 7) & 0xFF;
      sum += b;
      n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X", b);
    }
    std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X\r\n", ~sum & 0xFF);
    text += line;
  }
  text += "S70500000000FA\r\n";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  return text;
}

void Throughput(const std::string& path, int imageBytes) {
  PtyPair pty;
  if (!pty.Ok()) {
    std::printf("no pseudo-terminal: %s\n", std::strerror(errno));
    return;
  }
  ::setenv("TESSARO_COM1", pty.SlavePath().c_str(), 1);
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
  const double ceiling = 96.0 / (108.0 * 10.0 / 115200.0);
  std::printf("download of %d image bytes over a paced 115200-baud pty: %s\n", imageBytes,
              completed ? "completed" : "failed");
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
  Throughput(path, imageBytes);
  CheckSpeed(path);
  unlink(path.c_str());
  rmdir(dir);
  return 0;
}
