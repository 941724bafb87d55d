#include "link/NetworkPortName.h"

#include <cstring>

#include "link/OpenFailure.h"

namespace tessaro {

namespace {

constexpr const char kRfc2217[] = "rfc2217://";
constexpr const char kRawTcp[] = "tcp://";

bool StartsWith(const char* name, const char* prefix, std::size_t size) {
  return std::strncmp(name, prefix, size) == 0;
}

// "1".."65535" with nothing else.
bool PortNumber(const char* text) {
  if (text[0] == '\0' || text[0] == '0') return false;
  long value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9' || c - text >= 5) return false;
    value = value * 10 + (*c - '0');
  }
  return value <= 65535;
}

}  // namespace

NetworkPortName ParseNetworkPortName(const char* name) {
  NetworkPortName port;
  if (name == nullptr) return port;
  const char* rest = nullptr;
  if (StartsWith(name, kRfc2217, sizeof kRfc2217 - 1)) {
    port.scheme = NetworkScheme::Rfc2217;
    rest = name + sizeof kRfc2217 - 1;
  } else if (StartsWith(name, kRawTcp, sizeof kRawTcp - 1)) {
    port.scheme = NetworkScheme::RawTcp;
    rest = name + sizeof kRawTcp - 1;
  } else {
    return port;
  }
  const char* hostStart = rest;
  const char* hostEnd = nullptr;
  const char* colon = nullptr;
  if (*rest == '[') {
    hostStart = rest + 1;
    hostEnd = std::strchr(hostStart, ']');
    if (hostEnd == nullptr || hostEnd[1] != ':') return port;
    colon = hostEnd + 1;
  } else {
    colon = std::strrchr(rest, ':');
    if (colon == nullptr || std::memchr(rest, ':', static_cast<std::size_t>(colon - rest))) {
      return port;
    }
    hostEnd = colon;
  }
  const std::size_t hostSize = static_cast<std::size_t>(hostEnd - hostStart);
  // A path after the port ("tcp://h:1/x") is not a port of ours.
  if (hostSize == 0 || hostSize >= sizeof port.host || !PortNumber(colon + 1)) return port;
  if (std::strchr(colon + 1, '/') != nullptr) return port;
  std::memcpy(port.host, hostStart, hostSize);
  CopyField(port.service, sizeof port.service, colon + 1);
  port.valid = true;
  return port;
}

}  // namespace tessaro
