#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "link/PortList.h"

// The tree is read directly rather than through libudev: udev's database is
// not needed for what is shown (sysfs has the USB strings), and libudev cannot
// be pointed at a stand-in tree, which the tests need.
//
// A tty is a serial device when sysfs gives it a `device` with a driver
// (virtual consoles and pseudo-terminals have none).  The legacy 8250 driver
// registers placeholder ports ttyS0..ttyS31 under its platform device
// whether a UART is there or not; those are left out unless their `type`
// reads non-zero (it is root-only on many systems, so on-board ports that a
// firmware table announces, under pnp or acpi, are found by their parent).

namespace tessaro {

namespace {

namespace fs = std::filesystem;

std::string ReadLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

bool IsPlaceholder8250(const fs::path& device, const fs::path& ttyDir) {
  if (device.filename() != "serial8250") return false;
  const std::string type = ReadLine(ttyDir / "type");
  return type.empty() || type == "0";
}

// Maker, product, ids and serial number of the USB device above `device`.
std::string UsbDescription(const fs::path& device, const fs::path& sysRoot) {
  for (fs::path dir = device; !dir.empty() && dir != sysRoot && dir != dir.parent_path();
       dir = dir.parent_path()) {
    std::error_code ec;
    if (!fs::exists(dir / "idVendor", ec)) continue;
    std::string text;
    const auto add = [&text](const std::string& part) {
      if (part.empty()) return;
      if (!text.empty()) text += ' ';
      text += part;
    };
    add(ReadLine(dir / "manufacturer"));
    add(ReadLine(dir / "product"));
    add("(" + ReadLine(dir / "idVendor") + ":" + ReadLine(dir / "idProduct") + ")");
    add(ReadLine(dir / "serial"));
    return text;
  }
  return {};
}

// Natural order: ttyS2 before ttyS10.
bool NameBefore(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& s) {
    std::size_t i = s.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
    const long n = i < s.size() && s.size() - i < 9 ? std::stol(s.substr(i)) : -1;
    return std::make_pair(s.substr(0, i), n);
  };
  return split(a) < split(b);
}

}  // namespace

std::vector<PortInfo> ListSerialDevices(const std::string& root) {
  std::vector<PortInfo> ports;
  const fs::path sysRoot = fs::path(root + "/sys");
  const fs::path ttyClass = sysRoot / "class" / "tty";
  const fs::path dev = fs::path(root + "/dev");
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(ttyClass, ec)) {
    const fs::path& ttyDir = entry.path();
    const std::string name = ttyDir.filename().string();
    std::error_code e;
    const fs::path device = fs::canonical(ttyDir / "device", e);
    if (e || !fs::exists(device / "driver", e)) continue;
    if (IsPlaceholder8250(device, ttyDir)) continue;
    if (!fs::exists(dev / name, e)) continue;
    PortInfo port;
    port.name = name;
    port.path = "/dev/" + name;
    port.description = UsbDescription(device, fs::canonical(sysRoot, e));
    ports.push_back(std::move(port));
  }
  // The names under by-id stay the same whichever socket the adapter is in.
  for (const fs::directory_entry& link : fs::directory_iterator(dev / "serial" / "by-id", ec)) {
    std::error_code e;
    const fs::path target = fs::canonical(link.path(), e);
    if (e) continue;
    for (PortInfo& port : ports) {
      if (target.filename() == port.name && port.path.rfind("/dev/serial/", 0) != 0) {
        port.path = "/dev/serial/by-id/" + link.path().filename().string();
      }
    }
  }
  std::sort(ports.begin(), ports.end(),
            [](const PortInfo& a, const PortInfo& b) { return NameBefore(a.name, b.name); });
  return ports;
}

}  // namespace tessaro
