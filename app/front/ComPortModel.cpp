#include "app/front/ComPortModel.h"

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

ComPortModel::ComPortModel(Engine& engine) : ComPortModel(engine, ListSerialDevices()) {}

ComPortModel::ComPortModel(Engine& engine, std::vector<PortInfo> devices)
    : engine_(engine),
      devices_(std::move(devices)),
      initial_(ChoicesFromSettings(engine.Settings(), devices_)) {
  initial_.reconnect = engine.AutoReconnect();
}

std::vector<std::string> ComPortModel::PortTexts() const {
  std::vector<std::string> texts(PortNameTable, PortNameTable + kPortCount);
  for (const PortInfo& device : devices_) texts.push_back(device.ListText());
  return texts;
}

void ComPortModel::Confirm(const ComChoices& choices) {
  engine_.ConfirmPortChoices(choices, devices_);
  engine_.SetAutoReconnect(choices.reconnect);
}

}  // namespace tessaro
