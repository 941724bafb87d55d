#pragma once

// The window's configuration commands.  Each runs its modal dialog over the
// engine; every command a dialog sends is built and written under the engine
// lock.  The shell checks the preconditions ("Base is not connected !") first.

namespace tessaro {
class Engine;
}
class QWidget;

namespace tessaro {

// Command 1020, and the first-time dialog of Open.
void RunComPropertiesDlg(tessaro::Engine& engine, QWidget* owner);

// Command 1200.
void RunParameterDlg(tessaro::Engine& engine, QWidget* owner);

// Command 1100 (after the shell's precondition).
void RunBaseIdDlg(tessaro::Engine& engine, QWidget* owner);

// Command 1110 (after the shell's precondition).  Returns the ReopenRequest:
// true when the base was told a new baud rate, so the shell must Close at
// once, pause 1500 ms, then post an Open at the new rate.
bool RunBasePropertiesDlg(tessaro::Engine& engine, QWidget* owner);

}  // namespace tessaro
