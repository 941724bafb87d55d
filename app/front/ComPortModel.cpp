#include "app/front/ComPortModel.h"

#include "app/front/NetworkPortChoice.h"

namespace tessaro {

namespace {

int Row(int index, int count) {
  return index >= 0 && index < count ? index : -1;
}

void Take(std::int32_t& field, int row, int count) {
  if (row >= 0 && row < count) field = row;
}

}  // namespace

ComChoices ChoicesFromSettings(const PortSettings& settings, const std::vector<PortInfo>& devices) {
  ComChoices c;
  c.port = Row(settings.portIndex, kPortCount);
  if (settings.devicePath[0] != '\0') {
    c.port = -1;
    for (std::size_t i = 0; i < devices.size(); ++i) {
      if (devices[i].path == settings.devicePath) c.port = kPortCount + static_cast<int>(i);
    }
  }
  c.networkPort = NetworkPortOf(settings);
  c.baud = Row(settings.baudIndex, kBaudChoices);
  c.dataBits = Row(settings.dataBitsIndex, kDataBitsCount);
  c.parity = Row(settings.parityIndex, kParityCount);
  c.flow = Row(settings.flowIndex, kFlowCount);
  return c;
}

void ConfirmComChoices(PortSettings& settings, const ComChoices& choices,
                       const std::vector<PortInfo>& devices) {
  settings.settingsConfirmed = 1;
  if (SelectNetworkPort(settings, choices.networkPort)) {
    // The port row is left as it was: the typed port is the choice.
  } else if (choices.port >= 0 && choices.port < kPortCount) {
    SelectDevice(settings, "", "");
  } else if (choices.port >= kPortCount &&
             static_cast<std::size_t>(choices.port - kPortCount) < devices.size()) {
    const PortInfo& device = devices[static_cast<std::size_t>(choices.port - kPortCount)];
    SelectDevice(settings, device.path.c_str(), device.name.c_str());
  }
  if (NetworkPortOf(settings).empty()) Take(settings.portIndex, choices.port, kPortCount);
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
