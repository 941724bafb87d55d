#pragma once

#include <string>
#include <vector>

namespace tessaro {

// One serial device of the machine, as the port lists offer it.
struct PortInfo {
  std::string path;         // what to open: the stable name where the system has one
  std::string name;         // the short name ("ttyUSB0", "COM7")
  std::string description;  // what identifies it (maker, product, USB ids, serial number)

  // "ttyUSB0  FTDI FT232R USB UART (0403:6001) A12345": the list's text.
  std::string ListText() const { return description.empty() ? name : name + "  " + description; }
};

// The serial devices that exist now, in name order.  One file per platform
// implements it (POSIX: PosixPortList.cpp, from /sys/class/tty and
// /dev/serial/by-id; Windows: Win32PortList.cpp, the registry's SERIALCOMM
// names with what the device manager knows of each).  `root` stands in front of every system path,
// for tests that lay out a device tree of their own; empty for the real system.
std::vector<PortInfo> ListSerialDevices(const std::string& root = "");

}  // namespace tessaro
