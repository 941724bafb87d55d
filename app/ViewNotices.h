#pragma once

namespace tessaro {

// The marks the view shows under the host picture when the line is not what
// the operator expects; the status bar's pane 0 says the same at length.
inline constexpr char kLinkLostMark[] = "LINK LOST";
inline constexpr char kNoBaseMark[] = "NO BASE";

// Pane 0 when no base answered the status poll some seconds after Open.
inline constexpr char kNoBaseText[] =
    "No base answered: check the cable, the baud rate and the chosen device.";
inline constexpr unsigned kNoBaseAnswerMs = 5000;

// The mark for the line's state: a lost link before a silent one; nullptr
// when there is nothing to mark.
inline const char* ViewNotice(bool linkLost, bool noBaseAnswered) {
  if (linkLost) return kLinkLostMark;
  return noBaseAnswered ? kNoBaseMark : nullptr;
}

}  // namespace tessaro
