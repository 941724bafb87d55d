#pragma once

#include <cstdio>

namespace tessaro {

// Makes `stream` deliver its bytes as they are: a recorded stream holds
// "\r\n" pairs and may hold 0x1A, which a Windows text stream would turn
// into "\n" and an early end.  One file per platform; before the first read.
void UseBinaryInput(std::FILE* stream);

}  // namespace tessaro
