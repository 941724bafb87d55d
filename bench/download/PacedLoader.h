#pragma once

// The far end of the download benchmarks: a base on a pseudo-terminal paced
// like a 115200-baud line, and the S-record images it is fed.

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace tessaro::bench {

using Steady = std::chrono::steady_clock;

// 8N1: ten bit times per byte.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 115200);

// A base and its loader at the far end of a full-duplex 115200-baud line.  Bytes the PC
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
    Steady::time_point packetStart{};
    while (!stop_.load(std::memory_order_acquire)) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      std::uint8_t chunk[512];
      const ssize_t n = read(master_, chunk, sizeof chunk);
      if (n <= 0) {
        // Nobody holds the slave (between the session and the download).
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      const auto seen = Steady::now();
      for (ssize_t i = 0; i < n; ++i) {
        inFree = std::max(inFree, seen) + kByteTime;
        if (packet.empty()) {
          inPacket = chunk[i] == 'S';
          packetStart = seen;
        }
        packet.push_back(chunk[i]);
        const bool complete =
            inPacket ? packet.size() >= 3 && packet.size() == packet[2] + 4u : chunk[i] == '\r';
        if (!complete) continue;
        // The session's "@AT" finds base 1; other "@" commands ("@UP") get
        // no answer; "FN" to the loader's wake-up: ready.
        const bool command = packet[0] == '@';
        const char* reply = inPacket ? "FA\r" : command ? "@BS01110311\r" : "FN\r";
        if (command && packet.size() >= 3 && (packet[1] != 'A' || packet[2] != 'T')) {
          packet.clear();
          continue;
        }
        if (inPacket && firstPacket_ == Steady::time_point{}) firstPacket_ = packetStart;
        if (inPacket && packet[1] == '3') imageBytes_ += packet[2] - 5;
        packet.clear();
        std::this_thread::sleep_until(inFree);
        outFree = std::max(outFree, inFree) + 3 * kByteTime;
        std::this_thread::sleep_until(outFree);
        (void)!write(master_, reply, std::strlen(reply));
        if (inPacket) lastAck_ = outFree;
      }
    }
  }
  void Stop() { stop_.store(true, std::memory_order_release); }
  long ImageBytes() const { return imageBytes_; }
  // From the first packet's arrival to the last acknowledgement's.
  double PacketSeconds() const {
    return std::chrono::duration<double>(lastAck_ - firstPacket_).count();
  }

 private:
  int master_;
  std::atomic<bool> stop_{false};
  long imageBytes_ = 0;
  Steady::time_point firstPacket_{};
  Steady::time_point lastAck_{};
};

// The packet format's ceiling at 115200 baud: 96 data bytes per 105-byte
// packet and its 3-byte acknowledgement.
inline constexpr double kCeilingBytesPerSecond = 96.0 / (108.0 * 10.0 / 115200.0);

// `bytes` of image as S3 records of 16 data bytes, CR LF, one address run.
inline std::string WriteImage(const std::string& path, int bytes) {
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

}  // namespace tessaro::bench
