#include "sim/Loader.h"

#include <cstring>

namespace tessaro::sim {

namespace {

constexpr int kLongestLine = 32;
constexpr std::size_t kLinesKept = 4096;

}  // namespace

void Loader::Begin(const LoaderConfig& config, std::int64_t nowMs) {
  config_ = config;
  active_ = true;
  ++sessions_;
  accepted_ = 0;
  refused_ = 0;
  received_ = 0;
  lines_.clear();
  image_.clear();
  length_ = 0;
  inPacket_ = false;
  lastByteMs_ = nowMs;
}

std::size_t Loader::Feed(const char* bytes, std::size_t count, std::int64_t nowMs,
                         LoaderOutput& out) {
  if (length_ > 0 && nowMs - lastByteMs_ >= kStalePacketMs) {
    // What is left of a packet whose bytes stopped coming cannot be completed.
    length_ = 0;
    inPacket_ = false;
  }
  lastByteMs_ = nowMs;
  std::size_t used = 0;
  while (used < count && active_) {
    const auto c = static_cast<unsigned char>(bytes[used++]);
    if (length_ == 0) inPacket_ = c == 'S';
    buffer_[length_++] = c;
    if (inPacket_) {
      // "S", type, length byte, that many bytes (address, data, checksum), CR.
      if (length_ >= 3 && length_ == buffer_[2] + 4) {
        OnPacket(out);
        length_ = 0;
      }
    } else if (c == '\r') {
      OnLine(out);
      length_ = 0;
    } else if (length_ >= kLongestLine) {
      length_ = 0;  // no line the loader knows is this long
    }
  }
  return used;
}

void Loader::Note(const char* bytes, std::size_t count) {
  if (lines_.size() < kLinesKept) lines_.emplace_back(bytes, count);
}

void Loader::Answer(const std::string& text, LoaderOutput& out, const std::string& trailing) {
  if (config_.silent || text.empty()) return;
  char reply[80];
  std::size_t n = 0;
  std::memcpy(reply, text.data(), text.size());
  n += text.size();
  reply[n++] = '\r';
  std::memcpy(reply + n, trailing.data(), trailing.size());
  n += trailing.size();
  out.LoaderReply(reply, n);
}

void Loader::OnLine(LoaderOutput& out) {
  const char* text = reinterpret_cast<const char*>(buffer_);
  const std::size_t n = static_cast<std::size_t>(length_ - 1);  // without the CR
  Note(text, static_cast<std::size_t>(length_));
  if (n == 0) {
    Answer(config_.wakeReply, out);
  } else if (n == 7 && std::memcmp(text, "QUORVAN", 7) == 0) {
    Answer(config_.makerReply, out);
  } else if (n == 8 && std::memcmp(text, "DOWNLOAD", 8) == 0) {
    Answer(config_.downloadReply, out);
  }
  // Any other line means nothing to the loader.
}

void Loader::OnPacket(LoaderOutput& out) {
  Note(reinterpret_cast<const char*>(buffer_), static_cast<std::size_t>(length_));
  const int counted = buffer_[2];  // address, data and checksum
  const int last = length_ - 1;    // the CR
  unsigned sum = 0;
  for (int i = 2; i < last - 1; ++i) sum += buffer_[i];
  const bool wellFormed = (buffer_[1] == '3' || buffer_[1] == '7') && counted >= 5 &&
                          buffer_[last] == '\r' &&
                          buffer_[last - 1] == static_cast<unsigned char>(~sum & 0xFF);
  const bool endPacket = buffer_[1] == '7';
  if (!endPacket) ++received_;
  if (!wellFormed) {
    ++refused_;
    Answer(config_.badChecksum == LoaderConfig::Refusal::kFf ? "FF" : "FN", out);
    return;
  }
  const std::uint32_t address = (std::uint32_t{buffer_[3]} << 24) |
                                (std::uint32_t{buffer_[4]} << 16) |
                                (std::uint32_t{buffer_[5]} << 8) | std::uint32_t{buffer_[6]};
  if (endPacket) {
    ++completed_;
    Answer(config_.endReply, out);
    active_ = false;
    return;
  }
  const int k = received_;
  if (config_.silentAtPacket == k) return;
  if (config_.faultAtPacket == k) {
    Answer("FF", out);
    return;
  }
  if (config_.fnBurstAtPacket > 0 && k >= config_.fnBurstAtPacket &&
      k < config_.fnBurstAtPacket + config_.fnBurstLength) {
    Answer("FN", out);
    return;
  }
  WriteToImage(image_, address, buffer_ + 7, static_cast<std::size_t>(counted - 5));
  ++accepted_;
  Answer("FA", out, config_.trailingAtPacket == k ? config_.trailingBytes : std::string());
}

}  // namespace tessaro::sim
