#include "download/ImageFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tessaro {

bool ImageFile::Open(const char* path) {
  Close();
  why_[0] = '\0';
  if (path == nullptr || path[0] == '\0') {
    std::snprintf(why_, sizeof why_, "no file named");
    return false;
  }
  std::vector<char> bytes;
  if (!ReadWholeFile(path, bytes, why_, sizeof why_)) return false;
  Adopt(std::move(bytes));
  return true;
}

void ImageFile::Adopt(std::vector<char> bytes) {
  bytes_ = std::move(bytes);
  position_ = 0;
  open_ = true;
}

void ImageFile::Close() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  position_ = 0;
  open_ = false;
}

long long ImageFile::Size() const {
  return open_ ? static_cast<long long>(bytes_.size()) : -1;
}

long ImageFile::Read(char* buffer, std::size_t size) {
  if (!open_) return -1;
  const std::size_t n = std::min(size, bytes_.size() - position_);
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return static_cast<long>(n);
}

bool ImageFile::Rewind() {
  position_ = 0;
  return open_;
}

}  // namespace tessaro
