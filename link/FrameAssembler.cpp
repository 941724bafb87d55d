#include "link/FrameAssembler.h"

namespace tessaro {

void FrameAssembler::Feed(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const char byte = bytes[i];
    if (byte == '@') {
      // "@" always starts a fresh message, abandoning an open one.
      frame_[0] = byte;
      position_ = 1;
      continue;
    }
    if (position_ == 0) {
      if (byte == '1') sixChannelMode_.store(1, std::memory_order_relaxed);
      continue;  // noise between messages
    }
    if (position_ >= kLongestMessage) continue;  // over-long: drop until the next "@"
    frame_[position_++] = byte;
    if (byte == '\r') {
      frame_[position_] = '\0';
      const int length = position_;
      position_ = 0;
      sink_.OnFrame(frame_, static_cast<std::size_t>(length));
    }
  }
}

}  // namespace tessaro
