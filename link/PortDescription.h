#pragma once

#include <string>
#include <vector>

namespace tessaro {

// What the system's device manager knows of a serial port's device (the
// strings as Windows' SetupAPI gives them).
struct PortDeviceFacts {
  std::string friendlyName;  // "USB Serial Port (COM7)"
  std::string manufacturer;  // "FTDI"; "(Standard port types)" for the generic driver
  std::string product;       // what the device itself reports: "FT232R USB UART"
  std::string hardwareId;  // "USB\VID_0403&PID_6001&REV_0600", "FTDIBUS\COMPORT&VID_0403&PID_6001"
  // The device's instance id, then its parents' ("FTDIBUS\VID_0403+PID_6001+A12345A\0000",
  // "USB\VID_0403&PID_6001\A12345").
  std::vector<std::string> instanceIds;
};

// "(0403:6001)" from the first VID_/PID_ pair of `hardwareId`, in lower case
// as the USB ids are written elsewhere; empty when it names none.
std::string UsbIdsText(const std::string& hardwareId);

// The serial number in a USB instance id "USB\VID_xxxx&PID_xxxx\SERIAL";
// empty when the last part is one the system made up (it holds an '&') or
// the id is no USB device's.
std::string UsbSerialNumber(const std::string& instanceId);

// The list's description of port `name`: the friendly name without its
// "(COMn)", then maker, product, USB ids and serial number where known
// ("USB Serial Port: FTDI FT232R USB UART (0403:6001) A12345").  Empty when
// nothing is known.
std::string DescribePortDevice(const PortDeviceFacts& facts, const std::string& name);

}  // namespace tessaro
