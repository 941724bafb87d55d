#include "link/PortDescription.h"

#include <cctype>

namespace tessaro {

namespace {

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IsHex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The four hex digits after `key` ("VID_") in `id`, in lower case.
std::string FourHexAfter(const std::string& id, const char* key) {
  std::string upper(id);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::size_t at = upper.find(key);
  if (at == std::string::npos || at + 8 > id.size()) return {};
  std::string digits = id.substr(at + 4, 4);
  for (char& c : digits) {
    if (!IsHex(c)) return {};
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return digits;
}

void Append(std::string& text, const std::string& part) {
  if (part.empty()) return;
  if (!text.empty()) text += ' ';
  text += part;
}

}  // namespace

std::string UsbIdsText(const std::string& hardwareId) {
  const std::string vendor = FourHexAfter(hardwareId, "VID_");
  const std::string product = FourHexAfter(hardwareId, "PID_");
  return vendor.empty() || product.empty() ? std::string() : "(" + vendor + ":" + product + ")";
}

std::string UsbSerialNumber(const std::string& instanceId) {
  if (instanceId.size() < 4 || !SameText(instanceId.substr(0, 4), "USB\\")) return {};
  const std::size_t last = instanceId.rfind('\\');
  if (last <= 3) return {};
  std::string serial = instanceId.substr(last + 1);
  if (serial.find('&') != std::string::npos) return {};
  for (const char c : serial) {
    if (std::isprint(static_cast<unsigned char>(c)) == 0) return {};
  }
  return serial;
}

std::string DescribePortDevice(const PortDeviceFacts& facts, const std::string& name) {
  std::string friendly = facts.friendlyName;
  const std::string suffix = " (" + name + ")";
  if (friendly.size() >= suffix.size() &&
      SameText(friendly.substr(friendly.size() - suffix.size()), suffix)) {
    friendly.resize(friendly.size() - suffix.size());
  }
  std::string details;
  // "(Standard port types)" and the like name the driver's maker, not the port's.
  if (!facts.manufacturer.empty() && facts.manufacturer[0] != '(') {
    Append(details, facts.manufacturer);
  }
  if (!SameText(facts.product, friendly)) Append(details, facts.product);
  Append(details, UsbIdsText(facts.hardwareId));
  for (const std::string& id : facts.instanceIds) {
    const std::string serial = UsbSerialNumber(id);
    if (serial.empty()) continue;
    Append(details, serial);
    break;
  }
  if (friendly.empty()) return details;
  return details.empty() ? friendly : friendly + ": " + details;
}

}  // namespace tessaro
