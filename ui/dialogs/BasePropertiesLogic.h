#pragma once

#include <string_view>

#include "core/PortWriter.h"
#include "link/PortSettings.h"
#include "protocol/CommandBuffer.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

inline constexpr int kChannelChoices = 4;
inline constexpr int kSixChannelChoices = 6;
inline constexpr int kGroupChoices = 3;
inline constexpr int kPowerChoices = 5;
inline constexpr int kModeChoices = 3;
inline constexpr const char* ModeTable[kModeChoices] = {"stand alone", "slave", "master"};
inline constexpr char kSlaveMode = '2';
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
inline constexpr char kDialogCaption[] = "RF link";

// The selections of the five property lists (-1: no selection).
struct PropertyChoices {
  int channel = -1;
  int group = -1;
  int power = -1;
  int mode = -1;
  int baud = -1;
};

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

// OK, steps before the baud question: writes one set command per changed
// property in the order channel, group, power, time-out, mode.  A list
// without a selection counts as changed and sends "0".  Returns the baud row
// to ask about, or -1 when the baud stays (or the stored mode is slave).
// Under the engine lock; `stored` is the base's record as it is now.
int SendPropertyChanges(CommandBuffer& commands, PortWriter& port, int base,
                        const BaseProperties& stored, const PropertyChoices& chosen, int timeout,
                        bool sixChannelMode);

// The confirmed baud change: "@SP" + rate text + "\r", and the PC and the
// base follow the new row at the next open.  Under the engine lock.
void SendBaudChange(CommandBuffer& commands, PortWriter& port, PortSettings& settings,
                    BaseProperties& stored, int baudRow);

}  // namespace tessaro
