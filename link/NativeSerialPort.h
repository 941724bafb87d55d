#pragma once

#include <memory>

#include "link/SerialPort.h"

namespace tessaro {

// The serial port of the platform the program was built for (termios on
// POSIX).  Front ends create one and hand it to the engine and the download.
std::unique_ptr<SerialPort> MakeNativeSerialPort();

}  // namespace tessaro
