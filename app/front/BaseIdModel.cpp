#include "app/front/BaseIdModel.h"

#include "app/Engine.h"
#include "app/front/BaseList.h"
#include "app/front/DialogNumbers.h"
#include "protocol/Digits.h"

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

BaseIdModel::BaseIdModel(Engine& engine) : engine_(engine) {
  for (int b : PresentBases(engine)) currentIds_.push_back(BaseText(b, false));
}

bool BaseIdModel::Confirm(std::string_view currentText, std::string_view newText,
                          const char** refusal) {
  const ChangeIdPlan plan = PlanChangeId(currentText, newText);
  if (plan.verdict == ChangeIdVerdict::kNewIdOutOfRange) {
    *refusal = kNewIdRangeText;
    return false;
  }
  if (plan.verdict == ChangeIdVerdict::kSend) engine_.ChangeBaseId(plan.oldBase, plan.newBase);
  return true;
}

}  // namespace tessaro
