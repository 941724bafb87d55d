#pragma once

#include <atomic>
#include <cstddef>

namespace tessaro {

// Receives each complete inbound message, "@" through "\r".  The text stays
// valid and zero-terminated until the call returns.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual void OnFrame(const char* message, std::size_t length) = 0;
};

// Cuts the inbound byte stream into messages that begin with "@" and end with
// "\r".  Bytes may come in pieces of any size; a partial message survives from
// one piece to the next (and from one port session to the next).  A lone "1"
// between messages sets the six-channel mode, which is never cleared.
class FrameAssembler {
 public:
  static constexpr int kFrameBufferSize = 320;
  static constexpr int kLongestMessage = 251;  // "@" and "\r" included

  explicit FrameAssembler(FrameSink& sink) : sink_(sink) {}

  void Feed(const char* bytes, std::size_t count);

  // 1 once a lone "1" byte arrived between messages.  Read by the window thread.
  int SixChannelMode() const { return sixChannelMode_.load(std::memory_order_relaxed); }

  // Drops a partly received message.  A port session purges its input when it
  // opens, so the rest of a message cut off by the last close never arrives;
  // continuing it with the next session's bytes would dispatch a corrupt one.
  void AbandonMessage() { position_ = 0; }

  // Number of characters of the open message; 0 when none is open.
  int Position() const { return position_; }

 private:
  FrameSink& sink_;
  char frame_[kFrameBufferSize] = {};
  int position_ = 0;
  std::atomic<int> sixChannelMode_{0};
};

}  // namespace tessaro
