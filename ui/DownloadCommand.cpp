#include "ui/DownloadCommand.h"

#include <mutex>

#include "app/Engine.h"
#include "download/DownloadSession.h"
#include "ui/download/QtDownloadUi.h"

// The real download: the core's session with the Qt dialogs, on the
// engine's port and clock.

namespace tessaro {

namespace {

class QtDownloadCommand final : public DownloadCommand {
 public:
  QtDownloadCommand(Engine& engine, QWidget* owner) : engine_(engine), ui_(owner) {}

  int Run() override {
    PortSettings settings;
    {
      std::scoped_lock lock(engine_.Lock());
      settings = engine_.Settings();
    }
    return RunDownload(engine_.Port(), settings, engine_.Ticks(), ui_, state_);
  }

 private:
  Engine& engine_;
  QtDownloadUi ui_;
  DownloadState state_;  // the image chosen last, for the whole run
};

}  // namespace

std::unique_ptr<DownloadCommand> MakeDownloadCommand(Engine& engine, QWidget* owner) {
  return std::make_unique<QtDownloadCommand>(engine, owner);
}

}  // namespace tessaro
