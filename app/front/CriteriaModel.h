#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/front/DialogLayout.h"
#include "core/TestState.h"

namespace tessaro {

class Engine;

// Upper bounds of the two checked boxes of the testing criteria.
inline constexpr std::uint32_t kDataLengthBound = 300;
inline constexpr std::uint32_t kTimeoutBound = 99;

// The check run on every change of a checked box: true when the box must get
// the stored value back.  An empty box is left empty; any other text that is
// not a number, and any number above `bound`, is refused.  The number is
// compared unsigned, so 2147483648 and more are refused too instead of
// passing as negative values.
bool NeedsRestore(std::string_view text, std::uint32_t bound);

// OK: the three boxes read as unsigned numbers (empty or not a number: 0;
// never a negative value).
void StoreCriteria(TestCriteria& criteria, std::string_view dataLength,
                   std::string_view retransmits, std::string_view timeoutSeconds);

// The "Testing Criteria" dialog: three edit boxes, OK and Cancel.
class CriteriaModel {
 public:
  enum Box { kDataLength = 0, kRetransmits = 1, kTimeout = 2 };
  static constexpr int kBoxes = 3;
  static constexpr DialogFrame kFrame{"Testing Criteria", 202, 117};
  static constexpr DialogField kFields[kBoxes] = {
      {601, "Data &length (1-300) :", {13, 20, 116, 12}, {136, 18, 44, 12}},
      {602, "Number of &retransmits per packet :", {13, 40, 116, 12}, {136, 38, 44, 12}},
      {603, "&Time out (0-99 sec) :", {14, 60, 116, 12}, {137, 58, 44, 12}},
  };
  static constexpr DialogButtons kButtons{{10, 6, 182, 76}, {10, 94, 48, 14}, {144, 94, 48, 14}};

  explicit CriteriaModel(Engine& engine);

  // The text box `box` opens with.
  std::string InitialText(Box box) const;
  // Whether a change of `box` is checked (the retransmits box is not).
  static bool IsChecked(Box box) { return box != kRetransmits; }
  // After the operator changed a checked box to `text`: true when the box
  // must be written back with `restore`, the value stored now (an "@TO"
  // reply may have changed the time-out since the dialog opened).  The
  // change made by writing back is not checked again.
  bool CheckChange(Box box, std::string_view text, std::string* restore);
  // OK with the three boxes' texts.
  void Confirm(std::string_view dataLength, std::string_view retransmits,
               std::string_view timeoutSeconds);

 private:
  Engine& engine_;
  TestCriteria initial_;
  bool restoring_ = false;
  std::string restoreText_;
};

}  // namespace tessaro
