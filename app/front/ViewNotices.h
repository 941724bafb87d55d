#pragma once

namespace tessaro {

// The marks the view shows under the host picture when the line is not what
// the operator expects; the status bar's pane 0 says the same at length.
inline constexpr const char* kLinkLostMark = "LINK LOST";
inline constexpr const char* kNoBaseMark = "NO BASE";

// The mark for the line's state: a lost link before a silent one; nullptr
// when there is nothing to mark.
inline const char* ViewNotice(bool linkLost, bool noBaseAnswered) {
  if (linkLost) return kLinkLostMark;
  return noBaseAnswered ? kNoBaseMark : nullptr;
}

}  // namespace tessaro
