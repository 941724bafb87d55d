#pragma once

// Things the network does later (echoes, reports, unsolicited traffic, the
// second half of a split reply), ordered by due time, then by scheduling order
// so that equal times keep their order.  Messages travel in fixed slots.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaro::sim {

enum class EventKind {
  kEcho,        // a terminal's echo of a test packet
  kReport,      // the base's report on a PASSIVE echo
  kPassive,     // the next unsolicited "@DT" is due
  kNoise,       // the next burst of line noise is due
  kLoaderTail,  // the rest of a loader reply written in two parts
};

struct TimerEvent {
  std::int64_t dueUs = 0;
  std::uint64_t order = 0;
  EventKind kind = EventKind::kEcho;
  int slot = -1;                 // message slot, -1 when none
  std::size_t record = 0;        // echo record it belongs to
  std::uint64_t generation = 0;  // for the recurring kinds: stale when it differs
};

class TimerQueue {
 public:
  static constexpr int kSlotSize = 336;

  void Reserve(std::size_t events) {
    heap_.reserve(events);
    slots_.reserve(events);
    free_.reserve(events);
  }
  bool Empty() const { return heap_.empty(); }
  std::int64_t NextDueUs() const { return heap_.front().dueUs; }
  std::size_t Size() const { return heap_.size(); }

  void Push(TimerEvent event) {
    event.order = nextOrder_++;
    heap_.push_back(event);
    std::push_heap(heap_.begin(), heap_.end(), Later);
  }
  TimerEvent Pop() {
    std::pop_heap(heap_.begin(), heap_.end(), Later);
    TimerEvent event = heap_.back();
    heap_.pop_back();
    return event;
  }

  // A slot holding a copy of the bytes (at most kSlotSize of them).
  int StoreSlot(const char* bytes, int count) {
    int slot;
    if (!free_.empty()) {
      slot = free_.back();
      free_.pop_back();
    } else {
      slot = static_cast<int>(slots_.size());
      slots_.emplace_back();
    }
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    s.length = std::min(count, kSlotSize);
    std::copy(bytes, bytes + s.length, s.bytes);
    return slot;
  }
  char* SlotBytes(int slot) { return slots_[static_cast<std::size_t>(slot)].bytes; }
  int SlotLength(int slot) const { return slots_[static_cast<std::size_t>(slot)].length; }
  void ReleaseSlot(int slot) {
    if (slot >= 0) free_.push_back(slot);
  }

 private:
  struct Slot {
    int length = 0;
    char bytes[kSlotSize];
  };
  static bool Later(const TimerEvent& a, const TimerEvent& b) {
    return a.dueUs != b.dueUs ? a.dueUs > b.dueUs : a.order > b.order;
  }

  std::vector<TimerEvent> heap_;
  std::vector<Slot> slots_;
  std::vector<int> free_;
  std::uint64_t nextOrder_ = 0;
};

}  // namespace tessaro::sim
