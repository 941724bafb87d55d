#include "app/front/ComPortModel.h"

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

#include <array>

#include "app/Engine.h"

namespace tessaro {

namespace {

constexpr auto kBaudTexts = [] {
  std::array<const char*, kBaudChoices> texts{};
  for (int i = 0; i < kBaudChoices; ++i) texts[i] = BaudTable[i].text;
  return texts;
}();

}  // namespace

int ComPortModel::ListTexts(int list, const char* const** texts) {
  switch (list) {
    case 0:
      *texts = PortNameTable;
      return kPortCount;
    case 1:
      *texts = kBaudTexts.data();
      return kBaudChoices;
    case 2:
      *texts = DataBitsTable;
      return kDataBitsCount;
    case 3:
      *texts = ParityTable;
      return kParityCount;
    default:
      *texts = FlowControlTable;
      return kFlowCount;
  }
}

ComPortModel::ComPortModel(Engine& engine)
    : engine_(engine), initial_(ChoicesFromSettings(engine.Settings())) {}

void ComPortModel::Confirm(const ComChoices& choices) {
  engine_.ConfirmPortChoices(choices);
}

}  // namespace tessaro
