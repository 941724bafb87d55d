#pragma once

// The base's program loader: entered by "@UP", it answers the download
// handshake, checks and acknowledges each packet, keeps the image, and hands
// the line back to the "@" protocol after the end packet.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/Image.h"
#include "sim/Scenario.h"

namespace tessaro::sim {

class LoaderOutput {
 public:
  virtual ~LoaderOutput() = default;
  // One answer, its CR (and any bytes after it) included.
  virtual void LoaderReply(const char* bytes, std::size_t count) = 0;
};

class Loader {
 public:
  // Longest packet: "S", type, length byte, 255 counted bytes, CR.
  static constexpr int kLongestPacket = 259;
  // A packet left unfinished this long is thrown away.
  static constexpr std::int64_t kStalePacketMs = 1000;

  void Begin(const LoaderConfig& config, std::int64_t nowMs);
  void Leave() { active_ = false; }
  bool Active() const { return active_; }
  void Configure(const LoaderConfig& config) { config_ = config; }

  // Takes bytes while the loader is active; returns how many it consumed (all
  // of them, or those up to and including the end packet).
  std::size_t Feed(const char* bytes, std::size_t count, std::int64_t nowMs, LoaderOutput& out);

  bool IdleExpired(std::int64_t nowMs) const {
    return active_ && config_.idleExitMs > 0 && nowMs - lastByteMs_ >= config_.idleExitMs;
  }
  std::int64_t IdleDeadline() const { return lastByteMs_ + config_.idleExitMs; }

  int Sessions() const { return sessions_; }
  int Completed() const { return completed_; }
  int PacketsAccepted() const { return accepted_; }
  int PacketsRefused() const { return refused_; }
  int PacketsReceived() const { return received_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  const Image& Received() const { return image_; }

 private:
  void OnLine(LoaderOutput& out);
  void OnPacket(LoaderOutput& out);
  void Answer(const std::string& text, LoaderOutput& out, const std::string& trailing = {});
  void Note(const char* bytes, std::size_t count);

  LoaderConfig config_;
  bool active_ = false;
  int sessions_ = 0;
  int completed_ = 0;
  int accepted_ = 0;
  int refused_ = 0;
  int received_ = 0;
  std::int64_t lastByteMs_ = 0;
  std::vector<std::string> lines_;
  Image image_;

  unsigned char buffer_[kLongestPacket + 1] = {};
  int length_ = 0;
  bool inPacket_ = false;
};

}  // namespace tessaro::sim
