#pragma once

#include <array>

namespace tessaro {

// A box of the view in pixels; right and bottom are one past the last pixel.
struct CellBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  int Height() const { return bottom - top; }
  bool Contains(const CellBox& b) const {
    return b.left >= left && b.right <= right && b.top >= top && b.bottom <= bottom;
  }
  // The box around both; an empty box adds nothing.
  CellBox Joined(const CellBox& b) const {
    if (Empty()) return b;
    if (b.Empty()) return *this;
    return {left < b.left ? left : b.left, top < b.top ? top : b.top,
            right > b.right ? right : b.right, bottom > b.bottom ? bottom : b.bottom};
  }
};

// The spots of the canvas that cell redraws touched since the last screen
// update.  Added to on the reader thread without allocating: a redraw of a
// spot already listed costs a comparison, spots in one column close above or
// below each other become one, and once the list is full further spots are
// merged into one box around them, so no area is ever lost.  The caller
// serialises Add and Take.
class CellSpots {
 public:
  static constexpr int kCapacity = 128;

  // What Take hands out: the listed spots, then the box around the overflow.
  struct Taken {
    std::array<CellBox, kCapacity + 1> spots{};
    int count = 0;
  };

  void Add(const CellBox& spot) {
    if (spot.Empty()) return;
    for (int i = 0; i < count_; ++i) {
      CellBox& listed = spots_[i];
      if (listed.Contains(spot)) return;
      // A terminal's counters sit one above the other in one column: one
      // spot covers them all.
      if (listed.left == spot.left && listed.right == spot.right &&
          spot.top < listed.bottom + spot.Height() && spot.bottom > listed.top - spot.Height()) {
        listed = listed.Joined(spot);
        return;
      }
    }
    if (count_ < kCapacity) {
      spots_[count_++] = spot;
    } else {
      overflow_ = overflow_.Joined(spot);
    }
  }

  bool Empty() const { return count_ == 0; }

  // The spots, and an empty list.
  void Take(Taken& out) {
    out.count = 0;
    for (int i = 0; i < count_; ++i) out.spots[out.count++] = spots_[i];
    if (!overflow_.Empty()) out.spots[out.count++] = overflow_;
    count_ = 0;
    overflow_ = CellBox{};
  }

 private:
  std::array<CellBox, kCapacity> spots_{};
  int count_ = 0;
  CellBox overflow_;
};

}  // namespace tessaro
