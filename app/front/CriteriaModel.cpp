#include "app/front/CriteriaModel.h"

#include "app/Engine.h"
#include "app/front/DialogNumbers.h"

namespace tessaro {

bool NeedsRestore(std::string_view text, std::uint32_t bound) {
  const UnsignedText read = ReadUnsignedText(text);
  if (!read.isNumber) return !text.empty();
  return read.value > bound;
}

void StoreCriteria(TestCriteria& criteria, std::string_view dataLength,
                   std::string_view retransmits, std::string_view timeoutSeconds) {
  criteria.dataLength = StoredNumber(dataLength);
  criteria.retransmits = StoredNumber(retransmits);
  criteria.timeoutSeconds = StoredNumber(timeoutSeconds);
}

}  // namespace tessaro

namespace tessaro {

CriteriaModel::CriteriaModel(Engine& engine) : engine_(engine), initial_(engine.Criteria()) {}

std::string CriteriaModel::InitialText(Box box) const {
  switch (box) {
    case kDataLength:
      return NumberText(initial_.dataLength);
    case kRetransmits:
      return NumberText(initial_.retransmits);
    default:
      return NumberText(initial_.timeoutSeconds);
  }
}

bool CriteriaModel::CheckChange(Box box, std::string_view text, std::string* restore) {
  // The write-back itself arrives here as a change: it is let through.
  if (restoring_ && text == restoreText_) {
    restoring_ = false;
    return false;
  }
  restoring_ = false;
  if (!IsChecked(box)) return false;
  const std::uint32_t bound = box == kDataLength ? kDataLengthBound : kTimeoutBound;
  if (!NeedsRestore(text, bound)) return false;
  const TestCriteria stored = engine_.Criteria();
  *restore = NumberText(box == kDataLength ? stored.dataLength : stored.timeoutSeconds);
  restoring_ = true;
  restoreText_ = *restore;
  return true;
}

void CriteriaModel::Confirm(std::string_view dataLength, std::string_view retransmits,
                            std::string_view timeoutSeconds) {
  TestCriteria criteria = engine_.Criteria();
  StoreCriteria(criteria, dataLength, retransmits, timeoutSeconds);
  engine_.SetCriteria(criteria);
}

}  // namespace tessaro
