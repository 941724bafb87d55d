#include "ui/dialogs/BaseIdLogic.h"

#include "protocol/Digits.h"
#include "ui/dialogs/BaseList.h"
#include "ui/dialogs/DialogNumbers.h"

namespace tessaro {

ChangeIdPlan PlanChangeId(std::string_view currentText, std::string_view newText) {
  ChangeIdPlan plan;
  plan.oldBase = BaseFromText(currentText);
  if (plan.oldBase == 0) return plan;
  const UnsignedText typed = ReadUnsignedText(newText);
  if (typed.tooLarge || (typed.isNumber && typed.value > static_cast<unsigned>(kMaxBase))) {
    plan.verdict = ChangeIdVerdict::kNewIdOutOfRange;
    return plan;
  }
  plan.newBase = typed.isNumber ? static_cast<int>(typed.value) : 0;
  plan.verdict = ChangeIdVerdict::kSend;
  return plan;
}

void SendChangeId(CommandBuffer& commands, PortWriter& port, const ChangeIdPlan& plan) {
  if (plan.verdict != ChangeIdVerdict::kSend) return;
  commands.SendChangeId(port, plan.oldBase, plan.newBase);
  port.Write(kBaseStatusCommand, kFixedCommandLength);
}

}  // namespace tessaro
