#include "sim/Image.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace tessaro::sim {

namespace {

// A binary file this large is a scattered image, not a program.
constexpr std::uint64_t kLargestBinarySpan = 64ull * 1024 * 1024;

bool WriteFile(const std::string& path, const char* bytes, std::size_t count, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    if (error) *error = path + ": cannot be created: " + std::strerror(errno);
    return false;
  }
  const bool written = count == 0 || std::fwrite(bytes, 1, count, file) == count;
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    // A full disk shows at the write or only when the buffer is flushed.
    if (error) {
      *error = path + ": not written in full: " + std::strerror(written ? errno : writeError);
    }
    return false;
  }
  return true;
}

void AppendHexByte(std::string& text, unsigned value, unsigned& sum) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  text += kHex[(value >> 4) & 15];
  text += kHex[value & 15];
  sum += value;
}

}  // namespace

void WriteToImage(Image& image, std::uint32_t address, const std::uint8_t* bytes,
                  std::size_t count) {
  if (count == 0) return;
  std::uint64_t start = address;
  std::uint64_t end = start + count;  // one past the last byte
  // The first run that could touch [start, end): the one beginning at or before start.
  auto first = image.upper_bound(address);
  if (first != image.begin()) {
    auto previous = std::prev(first);
    if (previous->first + static_cast<std::uint64_t>(previous->second.size()) >= start)
      first = previous;
  }
  auto last = first;
  while (last != image.end() && last->first <= end) {
    start = std::min<std::uint64_t>(start, last->first);
    end = std::max<std::uint64_t>(end, last->first + last->second.size());
    ++last;
  }
  std::vector<std::uint8_t> merged(static_cast<std::size_t>(end - start));
  for (auto it = first; it != last; ++it) {
    std::memcpy(merged.data() + (it->first - start), it->second.data(), it->second.size());
  }
  std::memcpy(merged.data() + (address - start), bytes, count);
  image.erase(first, last);
  image.emplace(static_cast<std::uint32_t>(start), std::move(merged));
}

bool SaveImageBinary(const Image& image, const std::string& path, std::string* error) {
  if (image.empty()) return WriteFile(path, nullptr, 0, error);
  const std::uint64_t base = image.begin()->first;
  const auto& lastRun = *image.rbegin();
  const std::uint64_t end = lastRun.first + static_cast<std::uint64_t>(lastRun.second.size());
  if (end - base > kLargestBinarySpan) {
    if (error) *error = "the image spans more than 64 MiB; write it as S-records instead";
    return false;
  }
  std::vector<char> bytes(static_cast<std::size_t>(end - base), static_cast<char>(0xFF));
  for (const auto& [address, run] : image) {
    std::memcpy(bytes.data() + (address - base), run.data(), run.size());
  }
  return WriteFile(path, bytes.data(), bytes.size(), error);
}

std::string FormatImageSRecord(const Image& image) {
  std::string text;
  for (const auto& [address, run] : image) {
    for (std::size_t offset = 0; offset < run.size(); offset += 16) {
      const std::size_t n = std::min<std::size_t>(16, run.size() - offset);
      const std::uint32_t at = address + static_cast<std::uint32_t>(offset);
      unsigned sum = 0;
      text += "S3";
      AppendHexByte(text, static_cast<unsigned>(n + 5), sum);
      for (int shift = 24; shift >= 0; shift -= 8) AppendHexByte(text, (at >> shift) & 0xFF, sum);
      for (std::size_t i = 0; i < n; ++i) AppendHexByte(text, run[offset + i], sum);
      unsigned ignored = 0;
      AppendHexByte(text, ~sum & 0xFF, ignored);
      text += "\r\n";
    }
  }
  text += "S70500000000FA\r\n";
  return text;
}

bool SaveImageSRecord(const Image& image, const std::string& path, std::string* error) {
  const std::string text = FormatImageSRecord(image);
  return WriteFile(path, text.data(), text.size(), error);
}

}  // namespace tessaro::sim
