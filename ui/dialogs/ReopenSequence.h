#pragma once

namespace tessaro {

class Engine;

// The pause between closing the port and opening it again after the base
// was told a new baud rate: the base needs it to switch its line over.
inline constexpr int kReopenPauseMs = 1500;

// The first half of the reopen after a confirmed baud change, run by the
// shell right after the properties dialog: the session is closed at once (as
// the Close command does), then the window thread pauses 1500 ms without
// handling anything.  The shell then posts its Open command.
void CloseAndPauseForReopen(Engine& engine);

// The whole sequence in one call, for front ends without a message loop:
// close, pause, open at the settings now in force.  True when the session
// is open afterwards.
bool ReopenAfterBaudChange(Engine& engine);

}  // namespace tessaro
