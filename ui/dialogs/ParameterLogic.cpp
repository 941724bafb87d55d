#include "ui/dialogs/ParameterLogic.h"

#include "ui/dialogs/DialogNumbers.h"

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
