#include "app/PropertyChanges.h"

namespace tessaro {

namespace {

// The stored value as the list row it would be, in or out of the list: a
// list without a selection (-1) therefore differs from any stored value.
int StoredRow(char stored) {
  return stored - '1';
}

char ValueChar(int row) {
  return static_cast<char>('1' + row);
}

}  // namespace

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
