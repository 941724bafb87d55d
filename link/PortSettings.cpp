#include "link/PortSettings.h"

#include <cstdio>
#include <cstring>

namespace tessaro {

namespace {

int Clamp(int value, int count) {
  if (value < 0) return 0;
  if (value >= count) return count - 1;
  return value;
}

}  // namespace

const char* PortName(const PortSettings& settings) {
  return PortNameTable[Clamp(settings.portIndex, kPortCount)];
}

void ApplyPortSettings(const PortSettings& settings, LineSettings& line) {
  line.baudRate = static_cast<std::uint32_t>(BaudTable[Clamp(settings.baudIndex, kBaudCount)].rate);
  line.byteSize = Clamp(settings.dataBitsIndex, kDataBitsCount) == 0 ? 7 : 8;
  line.stopBits = kOneStopBit;
  // List row 1 "Even" is platform value 2, row 2 "Odd" is 1.
  static constexpr std::uint8_t kParityValue[kParityCount] = {kNoParity, kEvenParity, kOddParity};
  line.parity = kParityValue[Clamp(settings.parityIndex, kParityCount)];

  switch (Clamp(settings.flowIndex, kFlowCount)) {
    case 0:  // "None" clears what "Hardware" and "Xon/Xoff" set.
      line.flags &= ~(LineSettings::kOutxCtsFlow | LineSettings::kOutX);
      line.SetRtsControl(kRtsControlDisable);
      break;
    case 1:  // "Hardware": RTS raised and held, CTS output flow.
      line.flags |= LineSettings::kOutxCtsFlow;
      line.SetRtsControl(kRtsControlEnable);
      break;
    default:  // "Xon/Xoff": output flow only.
      line.flags |= LineSettings::kOutX;
      line.xonChar = 0x11;
      line.xoffChar = 0x13;
      break;
  }
}

int BaudRowOf(const char* text) {
  for (int row = 0; row < kBaudChoices; ++row) {
    if (std::strcmp(BaudTable[row].text, text) == 0) return row;
  }
  return -1;
}

const char* PortNameOf(const PortSettings& settings) {
  if (settings.devicePath[0] != '\0') return settings.devicePath;
  return PortName(settings);
}

bool SelectDevice(PortSettings& settings, const char* path, const char* name) {
  if (path == nullptr) path = "";
  if (name == nullptr || name[0] == '\0') name = path;
  if (std::strlen(path) >= sizeof settings.devicePath ||
      std::strlen(name) >= sizeof settings.deviceName) {
    return false;
  }
  std::snprintf(settings.devicePath, sizeof settings.devicePath, "%s", path);
  std::snprintf(settings.deviceName, sizeof settings.deviceName, "%s", path[0] != '\0' ? name : "");
  return true;
}

void FormatPortStatus(const PortSettings& settings, char* out, int size) {
  const char* name = settings.devicePath[0] != '\0' ? settings.deviceName : PortName(settings);
  std::snprintf(out, static_cast<std::size_t>(size), "%s: %s bps, %s", name,
                BaudTable[Clamp(settings.baudIndex, kBaudCount)].text,
                FlowControlTable[Clamp(settings.flowIndex, kFlowCount)]);
}

}  // namespace tessaro
