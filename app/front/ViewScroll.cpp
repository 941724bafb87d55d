#include "app/front/ViewScroll.h"

namespace tessaro::scroll {

int MaxPosition(int content, int page) {
  return content > page ? content - page : 0;
}

int Clamp(int position, int content, int page) {
  const int highest = MaxPosition(content, page);
  if (position < 0) return 0;
  return position > highest ? highest : position;
}

int Moved(int position, Move move, int content, int page, int line) {
  const int pageStep = page > 1 ? page : 1;
  switch (move) {
    case Move::kLineBack:
      return Clamp(position - line, content, page);
    case Move::kLineForward:
      return Clamp(position + line, content, page);
    case Move::kPageBack:
      return Clamp(position - pageStep, content, page);
    case Move::kPageForward:
      return Clamp(position + pageStep, content, page);
    case Move::kStart:
      return 0;
    case Move::kEnd:
      return MaxPosition(content, page);
  }
  return Clamp(position, content, page);
}

int Wheeled(int position, int delta, int lines, int content, int page, int line) {
  if (lines <= 0) lines = kWheelLines;
  const long long pixels = static_cast<long long>(delta) * lines * line / kWheelDelta;
  const long long moved = static_cast<long long>(position) - pixels;
  const int limited = moved < 0 ? -1 : (moved > content ? content : static_cast<int>(moved));
  return Clamp(limited, content, page);
}

}  // namespace tessaro::scroll
