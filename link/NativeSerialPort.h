#pragma once

#include <memory>

#include "link/SerialPort.h"

namespace tessaro {

// The port every program opens: by the name given to Open it is a network
// port ("rfc2217://HOST:PORT", "tcp://HOST:PORT", also when "COMn" names
// one through TESSARO_COMn) or the platform's own serial device (termios on
// POSIX, the Win32 calls on Windows).  Front ends create one and hand it to
// the engine and the download.
std::unique_ptr<SerialPort> MakeNativeSerialPort();

// The platform's own serial device only (one file per platform).
std::unique_ptr<SerialPort> MakeLocalSerialPort();

}  // namespace tessaro
