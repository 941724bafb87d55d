#include "link/PortList.h"
#include "link/PortNames.h"

namespace tessaro {

// The ports of the registry list after COM1..COM6, which the lists show
// already.  Windows keeps no maker or serial number there: the name alone.
std::vector<PortInfo> ListSerialDevices(const std::string&) {
  std::vector<PortInfo> devices;
  for (const std::string& name : ListSerialPorts()) {
    const bool fixed =
        name.size() == 4 && name.compare(0, 3, "COM") == 0 && name[3] >= '1' && name[3] <= '6';
    if (!fixed) devices.push_back(PortInfo{name, name, ""});
  }
  return devices;
}

}  // namespace tessaro
