// The operations of the port session and the program download.

#include "app/Engine.h"

namespace tessaro {

bool Engine::Open() {
  if (session_.IsOpen()) return true;
  PortSettings settings;
  {
    std::scoped_lock lock(lock_);
    settings = settings_;
    assembler_.AbandonMessage();
  }
  // The session starts the reader thread, which takes the lock for each
  // dispatch: the open itself runs without it.
  if (session_.OpenPort(settings) == 0) return false;
  std::scoped_lock lock(lock_);
  awaitingBase_ = true;
  noBaseShown_ = false;
  resumeAfterLoss_ = false;
  reopen_.Reset();
  openedAtMs_ = clock_.NowMs();
  StatusPoll(registry_, router_, *outbound_);
  outbound_->Write(kAttentionCommand, kFixedCommandLength);
  ButtonState buttons = linkTest_.Buttons(true);
  buttons.focusMode = true;
  router_.SetButtons(buttons);
  return true;
}

void Engine::Close() {
  // Joining the reader must not happen under the lock: a dispatch may be
  // waiting for it.
  session_.ClosePort();
  std::scoped_lock lock(lock_);
  awaitingBase_ = false;
  noBaseShown_ = false;
  resumeAfterLoss_ = false;
  if (test_.Running()) linkTest_.StopRun();
  router_.SetButtons(linkTest_.Buttons(false));
  registry_.Reset();
  router_.InvalidateView();
}

bool Engine::Reconnect() {
  if (!session_.IsOpen()) return false;
  if (!session_.LinkLost()) return true;
  const std::uint32_t now = clock_.NowMs();
  if (!reopen_.Due(now)) return false;
  // The reader is joined inside: not under the lock.
  if (!session_.Reopen(Settings())) {
    reopen_.Failed(now);
    return false;
  }
  reopen_.Reset();
  std::scoped_lock lock(lock_);
  TestMark mark;
  mark.kind = TestMarkKind::Reconnect;
  NoteMark(mark);
  assembler_.AbandonMessage();
  outbound_->Write(kBaseStatusCommand, kFixedCommandLength);
  if (resumeAfterLoss_) linkTest_.ResumeRun();
  resumeAfterLoss_ = false;
  router_.SetButtons(linkTest_.Buttons(true));
  router_.InvalidateView();
  return true;
}

void Engine::ShutDown() {
  if (session_.IsOpen()) session_.ClosePort();
}

void Engine::ConfirmPortChoices(const ComChoices& choices, const std::vector<PortInfo>& devices) {
  std::scoped_lock lock(lock_);
  tessaro::ConfirmComChoices(settings_, choices, devices);
}

void Engine::SelectPort(int index) {
  std::scoped_lock lock(lock_);
  SelectDevice(settings_, "", "");
  settings_.portIndex = index < 0 ? 0 : (index < kPortCount ? index : kPortCount - 1);
}

bool Engine::SelectDevicePath(const char* path, const char* name) {
  std::scoped_lock lock(lock_);
  return SelectDevice(settings_, path, name);
}

void Engine::SelectBaud(int row) {
  std::scoped_lock lock(lock_);
  settings_.baudIndex = row < 0 ? 0 : (row < kBaudCount ? row : kBaudCount - 1);
}

PortSettings Engine::Settings() const {
  std::scoped_lock lock(lock_);
  return settings_;
}

void Engine::SendUpdateRequest(int base) {
  std::scoped_lock lock(lock_);
  commands_.SendUpdate(*outbound_, base);
}

DownloadResult Engine::Download(DownloadUi& ui, DownloadState& state) {
  // The download owns the port while it runs; the session has let it go.
  return RunDownload(port_, Settings(), clock_, ui, state);
}

}  // namespace tessaro
