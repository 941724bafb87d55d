#pragma once

#include <string>

#include "link/PortSettings.h"

namespace tessaro {

// The port dialog's typed network port ("rfc2217://HOST:PORT",
// "tcp://HOST:PORT"), beside the lists of the machine's ports.

// What the row says under the typed text: why it cannot be used, what it
// cannot do (a raw TCP port sets no line settings), or nothing.
const char* NetworkPortNote(const std::string& text);

// Whether `text` names a network port that can be opened as it stands.
bool IsUsableNetworkPort(const std::string& text);

// The network port the settings hold (their chosen device), or empty.
std::string NetworkPortOf(const PortSettings& settings);

// Chooses the typed port: the settings' device becomes `text` (the status bar
// shows it as given, cut to its room).  false, and nothing changed, when it
// is no usable network port.
bool SelectNetworkPort(PortSettings& settings, const std::string& text);

}  // namespace tessaro
