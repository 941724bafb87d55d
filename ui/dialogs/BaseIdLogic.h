#pragma once

#include <string_view>

#include "core/PortWriter.h"
#include "protocol/CommandBuffer.h"

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

// Writes the plan's two commands.  Under the engine lock.
void SendChangeId(CommandBuffer& commands, PortWriter& port, const ChangeIdPlan& plan);

}  // namespace tessaro
