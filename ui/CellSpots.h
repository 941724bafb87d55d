#pragma once

#include <QRect>
#include <QRegion>
#include <array>

namespace tessaro {

// The spots of the canvas that cell redraws touched since the last screen
// update.  Added to on the reader thread without allocating: a redraw of a
// spot already listed costs a comparison, spots in one column close above or
// below each other become one, and once the list is full further spots are
// merged into one box around them, so no area is ever lost.  The
// caller serialises Add and Take.
class CellSpots {
 public:
  static constexpr int kCapacity = 128;

  void Add(const QRect& spot) {
    if (spot.isEmpty()) return;
    for (int i = 0; i < count_; ++i) {
      QRect& near = spots_[i];
      if (near.contains(spot)) return;
      // A terminal's counters sit one above the other in one column: one
      // spot covers them all.
      if (near.left() == spot.left() && near.right() == spot.right() &&
          spot.top() <= near.bottom() + spot.height() &&
          spot.bottom() >= near.top() - spot.height()) {
        near |= spot;
        return;
      }
    }
    if (count_ < kCapacity) {
      spots_[count_++] = spot;
    } else {
      overflow_ |= spot;
    }
  }

  bool Empty() const { return count_ == 0; }

  // The spots as one region, and an empty list.
  QRegion Take() {
    QRegion region(overflow_);
    for (int i = 0; i < count_; ++i) region += spots_[i];
    count_ = 0;
    overflow_ = QRect();
    return region;
  }

 private:
  std::array<QRect, kCapacity> spots_{};
  int count_ = 0;
  QRect overflow_;
};

}  // namespace tessaro
