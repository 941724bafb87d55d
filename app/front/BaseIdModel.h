#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/front/DialogLayout.h"

namespace tessaro {

// The lowest and highest number the arrows of the new-ID box reach.
inline constexpr int kNewIdLow = 1;
inline constexpr int kNewIdHigh = 16;

// Shown when OK finds a new number no base can take; the dialog stays open.
inline constexpr char kNewIdRangeText[] = "The new ID must be a number from 1 to 16.";

enum class ChangeIdVerdict {
  kSend,             // "@ID" cc nn "\r" then "@BS\r"
  kNewIdOutOfRange,  // a number above 16: it would make the base unreachable
  kNoCurrentBase,    // nothing selected in the current-ID list
};

struct ChangeIdPlan {
  ChangeIdVerdict verdict = ChangeIdVerdict::kNoCurrentBase;
  int oldBase = 0;
  int newBase = 0;
};

// OK of the ID dialog.  An empty box or a text that is not a number counts
// as 0 and goes out as "00", the query form; a number 1..16 goes out as it
// is; anything larger is refused rather than sent as a field that the base
// would take as another number or that does not fit two digits.
ChangeIdPlan PlanChangeId(std::string_view currentText, std::string_view newText);

class Engine;

// The "Change Base Station's ID" dialog: the current-ID list, the new-ID box
// with its arrows, OK and Cancel.
class BaseIdModel {
 public:
  static constexpr DialogFrame kFrame{"Change Base Station's ID", 130, 96};
  static constexpr DialogField kCurrent{701, "&Current ID :", {12, 20, 50, 12}, {70, 18, 40, 0}};
  static constexpr DialogField kNewId{601, "&New ID :", {12, 40, 50, 12}, {70, 38, 40, 14}};
  static constexpr int kArrowsId = 801;
  static constexpr DialogButtons kButtons{{10, 6, 110, 56}, {10, 72, 40, 14}, {80, 72, 40, 14}};

  // Reads the present bases once: a base that comes or goes while the
  // dialog is open changes nothing in the list.
  explicit BaseIdModel(Engine& engine);

  // The current-ID list ("1".."16"); the first entry is selected.
  const std::vector<std::string>& CurrentIds() const { return currentIds_; }
  // Where the arrows start.
  static constexpr int kInitialNewId = 1;

  // OK with the list's and the box's texts.  On true the dialog closes (the
  // commands are sent when there was a base to change); on false it stays
  // open with the focus on the new-ID box after showing `refusal`.
  bool Confirm(std::string_view currentText, std::string_view newText, const char** refusal);

 private:
  Engine& engine_;
  std::vector<std::string> currentIds_;
};

}  // namespace tessaro
