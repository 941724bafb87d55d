#include "app/front/MenuCommands.h"

#include <chrono>
#include <thread>

#include "app/Engine.h"
#include "app/front/BaseIdModel.h"
#include "app/front/BasePropertiesModel.h"
#include "app/front/ComPortModel.h"
#include "app/front/CriteriaModel.h"
#include "app/front/DialogLayout.h"
#include "app/front/Shell.h"
#include "resources/RfMenu.h"

namespace tessaro {

MenuCommands::MenuCommands(Engine& engine, Display& display, Shell& shell)
    : engine_(engine), display_(display), shell_(shell) {}

void MenuCommands::Execute(int id) {
  switch (id) {
    case kCmdOpen:
      Open();
      break;
    case kCmdClose:
      engine_.Close();
      break;
    case kCmdCommProperties: {
      ComPortModel model(engine_);
      shell_.RunComPortDialog(model);
      break;
    }
    case kCmdBaseId:
      if (RequireBase() != 0) {
        BaseIdModel model(engine_);
        shell_.RunBaseIdDialog(model);
      }
      break;
    case kCmdBaseProperties:
      BaseProperties();
      break;
    case kCmdTestingCriteria: {
      CriteriaModel model(engine_);
      shell_.RunCriteriaDialog(model);
      break;
    }
    case kCmdTestingStatistics:
      shell_.ShowStatistics();
      break;
    case kCmdDownload:
      Download();
      break;
    case kCmdAbout:
      shell_.RunAboutBox();
      break;
    case kCmdExit:
      if (RequestClose()) shell_.CloseFrame();
      break;
    default:
      break;
  }
}

bool MenuCommands::RequestClose() {
  if (downloading_) {
    display_.ShowMessage(kDownloadRunningText, kRfLinkCaption, MessageIcon::Warning);
    return false;
  }
  // A reader thread must not outlive the window it draws into.
  engine_.ShutDown();
  return true;
}

int MenuCommands::RequireBase() {
  const int base = engine_.ConnectedBase();
  if (base == 0) display_.ShowMessage(kBaseNotConnectedText, kRfLinkCaption, MessageIcon::Warning);
  return base;
}

void MenuCommands::Open() {
  if (engine_.IsPortOpen()) return;
  if (engine_.Settings().settingsConfirmed == 0) {
    ComPortModel model(engine_);
    shell_.RunComPortDialog(model);
  }
  engine_.Open();
}

void MenuCommands::BaseProperties() {
  if (RequireBase() == 0) return;
  BasePropertiesModel model(engine_);
  shell_.RunBasePropertiesDialog(model);
  if (!model.ReopenRequest()) return;
  engine_.Close();
  // Sleeps to a deadline: an early wake-up sleeps the rest, nothing spins.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kReopenPauseMs);
  while (std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_until(deadline);
  shell_.PostCommand(kCmdOpen);
}

void MenuCommands::Download() {
  const int base = RequireBase();
  if (base == 0) return;
  engine_.SendUpdateRequest(base);
  shell_.PostCommand(kCmdClose);
  downloading_ = true;
  const DownloadResult result = engine_.Download(shell_.DownloadDialogs(), download_);
  downloading_ = false;
  if (result == DownloadResult::kCompleted) shell_.PostCommand(kCmdOpen);
}

}  // namespace tessaro
