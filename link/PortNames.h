#pragma once

#include <cstddef>

namespace tessaro {

// Turns a port name of the lists into the device path to open.  "COM1" ..
// "COM6" name the path in the environment variable TESSARO_COM1 ..
// TESSARO_COM6 when it is set and not empty, else /dev/ttyS0 .. /dev/ttyS5;
// any other name is taken as a device path as it stands.  Returns false when
// the path does not fit in `size` bytes (with its terminating zero).
bool ResolvePortName(const char* name, char* path, std::size_t size);

}  // namespace tessaro
