#pragma once

#include "core/Display.h"
#include "download/DownloadSession.h"

namespace tessaro {

class Engine;
class Shell;

// Whether a menu item can be chosen.  No item is ever greyed: each command
// tests its precondition when it arrives.
inline constexpr bool MenuItemEnabled(int /*id*/) {
  return true;
}

// The pause between closing the port and opening it again after the base
// was told a new baud rate: the base needs it to switch its line over.
inline constexpr int kReopenPauseMs = 1500;

inline constexpr char kBaseNotConnectedText[] = "Base is not connected !";
inline constexpr char kDownloadRunningText[] =
    "A program download is in progress.\nLet it finish, or cancel it, before closing.";

// Every command of the menu `RF`, with the sequences that span several steps,
// for any front end: the front end's frame calls Execute for a chosen item
// and implements the Shell for the dialogs and its own actions.
class MenuCommands {
 public:
  MenuCommands(Engine& engine, Display& display, Shell& shell);

  // Runs menu command `id`; ids outside the menu are ignored.
  void Execute(int id);

  // The frame's close box: false (after saying why) while a download runs,
  // which keeps the window thread and the port; else the session ends and
  // the frame may close.
  bool RequestClose();

 private:
  // "Base is not connected !" unless a session is open and a base present;
  // the first present base, or 0 after the message.
  int RequireBase();
  // Open: the settings dialog first unless the settings were confirmed once
  // (after Cancel the port opens with the settings as they stand).
  void Open();
  // The properties dialog, and after a confirmed baud change: close at once,
  // pause with the window thread held, then post Open at the new rate.
  void BaseProperties();
  // "@UP", a posted Close (it runs inside the file dialog, so the session
  // has let the port go before the download opens it), the download, and a
  // posted Open when the image went through.
  void Download();

  Engine& engine_;
  Display& display_;
  Shell& shell_;
  DownloadState download_;  // the image chosen last, for the whole run
  bool downloading_ = false;
};

}  // namespace tessaro
