#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/PropertyChanges.h"
#include "app/front/DialogLayout.h"
#include "link/PortSettings.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

inline constexpr int kChannelChoices = 4;
inline constexpr int kSixChannelChoices = 6;
inline constexpr int kGroupChoices = 3;
inline constexpr int kPowerChoices = 5;
inline constexpr int kModeChoices = 3;
inline constexpr const char* ModeTable[kModeChoices] = {"stand alone", "slave", "master"};
inline constexpr int kSlaveModeRow = 1;

// The time-out box's arrows hold 1..99; the "@TO" field has two digits.
inline constexpr int kTimeoutLow = 1;
inline constexpr int kTimeoutHigh = 99;

// Shown when OK finds a time-out that does not fit the two-digit field; the
// dialog stays open and nothing is sent.
inline constexpr char kTimeoutRangeText[] = "The time out must be a number from 0 to 99.";

inline constexpr char kBaudQuestionText[] =
    "Baudrate is changed, the COM port has\nto be closed and reopened.\n\nAre you sure to go on "
    "this process?";

// What the six controls show for one base, and which of the mode and baud
// lists can be used.
struct ShownProperties {
  PropertyChoices choices;
  int timeout = 0;
  bool modeEnabled = true;
  bool baudEnabled = true;
};

int ChannelChoices(bool sixChannelMode);

// The controls loaded from a base's stored properties.  A stored value
// outside its list (not reported yet, or channel 5/6 with four channels)
// leaves that list without a selection.  A slave base locks mode and baud.
ShownProperties ShowBase(const BaseProperties& stored, bool sixChannelMode);

// The baud list is usable unless "slave" is chosen in the mode list.
bool BaudEnabledForModeRow(int modeRow);

// The time-out box read for OK: false when it holds a number the two-digit
// field cannot carry.  Empty or not a number reads 0 (sent as "00", the
// query form).
bool ReadTimeoutBox(std::string_view text, int& seconds);

}  // namespace tessaro

namespace tessaro {

class Engine;

// The "Base Station's Properties" dialog: the base list, the channel, group
// and power lists, the time-out box with its arrows, the mode and baud
// lists, OK and Cancel.
class BasePropertiesModel {
 public:
  enum List { kId = 0, kChannel, kGroup, kPower, kMode, kBaud, kListCount };
  static constexpr DialogFrame kFrame{"Base Station's Properties", 138, 197};
  // The six lists in the order of List, then the time-out box.
  static constexpr DialogField kListFields[kListCount] = {
      {701, "&ID :", {14, 20, 40, 12}, {63, 18, 53, 0}},
      {702, "&Channel :", {14, 40, 40, 12}, {63, 38, 53, 0}},
      {703, "&Group :", {14, 60, 40, 12}, {63, 58, 53, 0}},
      {704, "&Power :", {14, 80, 40, 12}, {63, 78, 53, 0}},
      {705, "&Mode :", {14, 120, 40, 12}, {63, 118, 53, 0}},
      {706, "&Baudrate :", {14, 140, 40, 12}, {63, 138, 53, 0}},
  };
  static constexpr DialogField kTimeoutField{
      601, "&Time out :", {14, 100, 40, 12}, {63, 98, 53, 12}};
  static constexpr int kArrowsId = 801;
  static constexpr DialogButtons kButtons{{10, 6, 118, 154}, {10, 173, 39, 14}, {89, 173, 39, 14}};

  // Reads the present bases and the channel mode once, as the dialog opens.
  explicit BasePropertiesModel(Engine& engine);

  // The texts of a list, as it is filled when the dialog opens.
  std::vector<std::string> ListTexts(List list) const;
  // Group and power have no meaning with six channels.
  bool GroupAndPowerEnabled() const { return !sixChannelMode_; }

  // What the controls show for the base named by an ID list entry (the
  // base's properties as they stand now); false when the text names none.
  bool Show(std::string_view idText, ShownProperties* shown) const;

  enum class Outcome {
    kRefused,    // a message, the dialog stays open (focus on the time-out box)
    kCancelled,  // no base selected: the dialog closes as if cancelled
    kDone,       // the changes were sent; the dialog closes
    kAskBaud,    // the changes were sent; ask kBaudQuestionText, then
                 // ConfirmBaud on OK; the dialog closes either way
  };
  // OK with the controls' state.  `refusal` gets the message of kRefused.
  Outcome Confirm(std::string_view idText, const PropertyChoices& chosen,
                  std::string_view timeoutText, const char** refusal);
  // The operator answered OK to the baud question: "@SP" goes out, and the
  // port must close and open again at the new rate (ReopenRequest).
  void ConfirmBaud();
  bool ReopenRequest() const { return reopenRequest_; }

 private:
  Engine& engine_;
  std::vector<int> bases_;
  bool sixChannelMode_ = false;
  int pendingBase_ = 0;
  int pendingBaud_ = -1;
  bool reopenRequest_ = false;
};

}  // namespace tessaro
