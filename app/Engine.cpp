#include "app/Engine.h"

namespace tessaro {

Engine::Engine(Display& display, Clock& clock, SerialPort& port, PortWriter* outbound)
    : display_(display),
      clock_(clock),
      port_(port),
      outbound_(outbound != nullptr ? outbound : static_cast<PortWriter*>(this)),
      session_(port, *this, display),
      linkTest_(test_, criteria_, registry_, *outbound_, display, clock),
      assembler_(*this),
      dispatcher_(DispatchContext{registry_, settings_, test_, criteria_, commands_, *outbound_,
                                  display, linkTest_}) {
  // What creating the frame window does: registry reset, counters cleared.
  registry_.Reset();
  linkTest_.ResetTestCounters(false);
}

Engine::~Engine() {
  ShutDown();
}

void Engine::Feed(const char* bytes, std::size_t count) {
  std::scoped_lock lock(lock_);
  assembler_.Feed(bytes, count);
}

void Engine::OnBytes(const char* bytes, std::size_t count) {
  Feed(bytes, count);
}

void Engine::OnFrame(const char* message, std::size_t length) {
  if (frameObserver_ != nullptr) frameObserver_->OnFrame(message, length);
  dispatcher_.Dispatch(message, length);
}

void Engine::Write(const char* bytes, std::size_t count) {
  session_.Write(bytes, count);
}

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
  StatusPoll(registry_, display_, *outbound_);
  outbound_->Write(kAttentionCommand, kFixedCommandLength);
  ButtonState buttons = linkTest_.Buttons(true);
  buttons.focusMode = true;
  display_.SetButtons(buttons);
  return true;
}

void Engine::Close() {
  // Joining the reader must not happen under the lock: a dispatch may be
  // waiting for it.
  session_.ClosePort();
  std::scoped_lock lock(lock_);
  if (test_.testRun) linkTest_.StopRun();
  display_.SetButtons(linkTest_.Buttons(false));
  registry_.Reset();
  display_.InvalidateView();
}

void Engine::ShutDown() {
  if (session_.IsOpen()) session_.ClosePort();
}

int Engine::ConnectedBase() {
  if (!session_.IsOpen()) return 0;
  std::scoped_lock lock(lock_);
  return registry_.FirstPresentBase();
}

// The buttons are usable only while a port is open; a front end without
// buttons gets the same rule here.
void Engine::ToggleLinkMode() {
  if (!session_.IsOpen()) return;
  std::scoped_lock lock(lock_);
  linkTest_.ToggleLinkMode();
}

void Engine::ToggleTestRun() {
  if (!session_.IsOpen()) return;
  std::scoped_lock lock(lock_);
  linkTest_.ToggleTestRun();
}

void Engine::SuperviseTick() {
  std::scoped_lock lock(lock_);
  linkTest_.SuperviseTick();
}

void Engine::SendUpdateRequest(int base) {
  std::scoped_lock lock(lock_);
  commands_.SendUpdate(*outbound_, base);
}

ButtonState Engine::Buttons() {
  std::scoped_lock lock(lock_);
  return linkTest_.Buttons(session_.IsOpen());
}

}  // namespace tessaro
