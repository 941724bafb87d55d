#include "ui/dialogs/BasePropertiesLogic.h"

#include "ui/dialogs/DialogNumbers.h"

namespace tessaro {

namespace {

int ListRow(char stored, int count) {
  const int row = stored - '1';
  return row >= 0 && row < count ? row : -1;
}

// The stored value as the list row it would be, in or out of the list: a
// list without a selection (-1) therefore differs from any stored value.
int StoredRow(char stored) {
  return stored - '1';
}

char ValueChar(int row) {
  return static_cast<char>('1' + row);
}

}  // namespace

int ChannelChoices(bool sixChannelMode) {
  return sixChannelMode ? kSixChannelChoices : kChannelChoices;
}

ShownProperties ShowBase(const BaseProperties& stored, bool sixChannelMode) {
  ShownProperties shown;
  shown.choices.channel = ListRow(stored.channel, ChannelChoices(sixChannelMode));
  shown.choices.group = ListRow(stored.group, kGroupChoices);
  shown.choices.power = ListRow(stored.power, kPowerChoices);
  shown.choices.mode = ListRow(stored.mode, kModeChoices);
  shown.choices.baud = stored.baudIndex < kBaudChoices ? stored.baudIndex : -1;
  shown.timeout = stored.timeout;
  shown.modeEnabled = stored.mode != kSlaveMode;
  shown.baudEnabled = shown.modeEnabled;
  return shown;
}

bool BaudEnabledForModeRow(int modeRow) {
  return modeRow != kSlaveModeRow;
}

bool ReadTimeoutBox(std::string_view text, int& seconds) {
  const UnsignedText read = ReadUnsignedText(text);
  seconds = 0;
  if (read.tooLarge || (read.isNumber && read.value > static_cast<unsigned>(kTimeoutHigh))) {
    return false;
  }
  if (read.isNumber) seconds = static_cast<int>(read.value);
  return true;
}

int SendPropertyChanges(CommandBuffer& commands, PortWriter& port, int base,
                        const BaseProperties& stored, const PropertyChoices& chosen, int timeout,
                        bool sixChannelMode) {
  if (chosen.channel != StoredRow(stored.channel)) {
    commands.SendProperty(port, "CH", base, ValueChar(chosen.channel));
  }
  if (!sixChannelMode) {
    if (chosen.group != StoredRow(stored.group)) {
      commands.SendProperty(port, "GP", base, ValueChar(chosen.group));
    }
    if (chosen.power != StoredRow(stored.power)) {
      commands.SendProperty(port, "PW", base, ValueChar(chosen.power));
    }
  }
  if (timeout != stored.timeout) commands.SendTimeout(port, base, timeout);
  if (chosen.mode != StoredRow(stored.mode)) {
    commands.SendProperty(port, "ME", base, ValueChar(chosen.mode));
  }
  if (stored.mode == kSlaveMode) return -1;
  // Only a row the list offers can name a rate.
  if (chosen.baud < 0 || chosen.baud >= kBaudChoices || chosen.baud == stored.baudIndex) return -1;
  return chosen.baud;
}

void SendBaudChange(CommandBuffer& commands, PortWriter& port, PortSettings& settings,
                    BaseProperties& stored, int baudRow) {
  if (baudRow < 0 || baudRow >= kBaudChoices) return;
  commands.SendSpeed(port, BaudTable[baudRow].text);
  settings.baudIndex = baudRow;
  stored.baudIndex = static_cast<std::uint8_t>(baudRow);
}

}  // namespace tessaro
