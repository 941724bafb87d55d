#include "app/PortChoices.h"

#include "app/NetworkPortChoice.h"

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
  } else if (choices.networkPort.empty()) {
    // The network port's text cleared, no row chosen: the COM row in force.
    if (!NetworkPortOf(settings).empty()) SelectDevice(settings, "", "");
  }
  if (NetworkPortOf(settings).empty()) Take(settings.portIndex, choices.port, kPortCount);
  Take(settings.baudIndex, choices.baud, kBaudChoices);
  Take(settings.dataBitsIndex, choices.dataBits, kDataBitsCount);
  Take(settings.parityIndex, choices.parity, kParityCount);
  Take(settings.flowIndex, choices.flow, kFlowCount);
}

}  // namespace tessaro
