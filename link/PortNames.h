#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tessaro {

// Turns a port name of the lists into the device path to open.  One file
// per platform:
// - POSIX: "COM1" .. "COM6" (any case) name the path in the environment
//   variable TESSARO_COM1 .. TESSARO_COM6 when it is set and not empty, else
//   /dev/ttyS0 .. /dev/ttyS5; other COM names ("COM0", "COM7") stand for no
//   device and are refused rather than taken as a file of that name ("./COM7"
//   is one); any other name is a device path as it stands.
// - Windows: "COMn" (any n, any case) is the device \\.\COMn, so that COM10
//   and above open too; any other name is taken as it stands.
// Returns false when the path does not fit in `size` bytes (with its
// terminating zero), the name is empty or it is a COM name that stands for
// no device.  Any thread.
bool ResolvePortName(const char* name, char* path, std::size_t size);

// What a COM name stands for, in a sentence for the operator, naming what is
// missing: "COM1 is /dev/ttyS0 (TESSARO_COM1 is set but empty)", "COM7
// stands for no device here: ...".  Empty for a name that is no COM name.
// Any thread.
void DescribePortName(const char* name, char* out, std::size_t size);

// The serial ports present on this machine, as names ResolvePortName takes,
// in PortNameLess order.  Windows: the values under the registry key
// HARDWARE\DEVICEMAP\SERIALCOMM.  POSIX: the tty devices backed by hardware
// (a UART the kernel found, a USB adapter).  Empty when there are none or
// they cannot be listed.  Blocks for the listing only; any thread.
std::vector<std::string> ListSerialPorts();

// Port-name order with runs of digits compared as numbers: "COM2" before
// "COM10", "/dev/ttyUSB9" before "/dev/ttyUSB10".
bool PortNameLess(const std::string& a, const std::string& b);

}  // namespace tessaro
