#pragma once

// A record that keeps the latest `capacity` entries of a stream, allocated
// once; entries are addressed by their absolute index in the stream.

#include <cstddef>
#include <vector>

namespace tessaro::sim {

template <typename T>
class Ring {
 public:
  void Reset(std::size_t capacity) {
    slots_.assign(capacity, T{});
    total_ = 0;
  }
  void Clear() { total_ = 0; }

  T& Push() {
    T& slot = slots_[total_ % slots_.size()];
    ++total_;
    return slot;
  }
  // Absolute index of the next entry; also the count ever pushed.
  std::size_t Total() const { return total_; }
  // The oldest absolute index still held.
  std::size_t First() const { return total_ > slots_.size() ? total_ - slots_.size() : 0; }
  // The entry with that absolute index, or nullptr once it has been overwritten.
  T* At(std::size_t index) {
    if (index >= total_ || index < First()) return nullptr;
    return &slots_[index % slots_.size()];
  }
  const T* At(std::size_t index) const {
    if (index >= total_ || index < First()) return nullptr;
    return &slots_[index % slots_.size()];
  }

 private:
  std::vector<T> slots_;
  std::size_t total_ = 0;
};

}  // namespace tessaro::sim
