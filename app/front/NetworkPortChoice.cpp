#include "app/front/NetworkPortChoice.h"

#include "link/NetworkPortName.h"

namespace tessaro {

bool IsUsableNetworkPort(const std::string& text) {
  const NetworkPortName name = ParseNetworkPortName(text.c_str());
  return name.scheme != NetworkScheme::None && name.valid &&
         text.size() < sizeof PortSettings{}.devicePath;
}

const char* NetworkPortNote(const std::string& text) {
  if (text.empty()) return "";
  if (!IsUsableNetworkPort(text)) {
    return "Write a network port as rfc2217://HOST:PORT or tcp://HOST:PORT.";
  }
  if (ParseNetworkPortName(text.c_str()).scheme == NetworkScheme::RawTcp) {
    return "Line settings cannot be set on a raw TCP port: the server's own settings apply.";
  }
  return "";
}

std::string NetworkPortOf(const PortSettings& settings) {
  const NetworkPortName name = ParseNetworkPortName(settings.devicePath);
  return name.scheme != NetworkScheme::None ? std::string(settings.devicePath) : std::string();
}

bool SelectNetworkPort(PortSettings& settings, const std::string& text) {
  if (!IsUsableNetworkPort(text)) return false;
  const std::string shown = text.substr(0, sizeof settings.deviceName - 1);
  return SelectDevice(settings, text.c_str(), shown.c_str());
}

}  // namespace tessaro
