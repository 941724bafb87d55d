#pragma once

#include <memory>

class QWidget;

namespace tessaro {

class Engine;

// The program download as the Download command runs it, after the shell has
// sent "@UP" and posted Close.  It keeps what the download remembers for the
// whole run (the image chosen last).  The build picks its implementation:
// the real download when the download's window parts are built, else one
// that says the download is missing.
class DownloadCommand {
 public:
  virtual ~DownloadCommand() = default;
  // 1 when the image went through (the shell then opens the session again),
  // 0 or -1 otherwise.
  virtual int Run() = 0;
};

// `owner` owns the download's dialogs and message boxes.
std::unique_ptr<DownloadCommand> MakeDownloadCommand(Engine& engine, QWidget* owner);

}  // namespace tessaro
