#include "ui/dialogs/ComPropertiesLogic.h"

namespace tessaro {

namespace {

int Row(int index, int count) {
  return index >= 0 && index < count ? index : -1;
}

void Take(std::int32_t& field, int row, int count) {
  if (row >= 0 && row < count) field = row;
}

}  // namespace

ComChoices ChoicesFromSettings(const PortSettings& settings) {
  ComChoices c;
  c.port = Row(settings.portIndex, kPortCount);
  c.baud = Row(settings.baudIndex, kBaudChoices);
  c.dataBits = Row(settings.dataBitsIndex, kDataBitsCount);
  c.parity = Row(settings.parityIndex, kParityCount);
  c.flow = Row(settings.flowIndex, kFlowCount);
  return c;
}

void ConfirmComChoices(PortSettings& settings, const ComChoices& choices) {
  settings.settingsConfirmed = 1;
  Take(settings.portIndex, choices.port, kPortCount);
  Take(settings.baudIndex, choices.baud, kBaudChoices);
  Take(settings.dataBitsIndex, choices.dataBits, kDataBitsCount);
  Take(settings.parityIndex, choices.parity, kParityCount);
  Take(settings.flowIndex, choices.flow, kFlowCount);
}

}  // namespace tessaro
