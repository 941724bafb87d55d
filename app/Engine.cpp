#include "app/Engine.h"

#include "app/ViewNotices.h"

namespace tessaro {

Engine::Engine(Display& display, Clock& clock, SerialPort& port, PortWriter* outbound)
    : display_(display),
      clock_(clock),
      port_(port),
      router_(display, registry_),
      outbound_(outbound != nullptr ? outbound : static_cast<PortWriter*>(this)),
      session_(port, *this, router_),
      linkTest_(test_, criteria_, registry_, *outbound_, router_, clock),
      assembler_(*this),
      dispatcher_(DispatchContext{registry_, settings_, test_, criteria_, commands_, *outbound_,
                                  router_, linkTest_}) {
  // What creating the frame window does: registry reset, counters cleared.
  registry_.Reset();
  linkTest_.ResetTestCounters(false);
  linkTest_.WatchTimeOuts(this);
}

Engine::~Engine() {
  ShutDown();
}

EngineSnapshot Engine::Snapshot() const {
  return Read([](const EngineView& v) {
    return EngineSnapshot{v.settings,       v.registry, v.test,  v.criteria,
                          v.sixChannelMode, v.portOpen, v.notice};
  });
}

void Engine::Feed(const char* bytes, std::size_t count) {
  std::scoped_lock lock(lock_);
  fed_ += count;
  assembler_.Feed(bytes, count);
}

std::uint64_t Engine::FedBytes() const {
  std::scoped_lock lock(lock_);
  return fed_;
}

void Engine::NoteMark(TestMark mark) {
  mark.fed = fed_;
  char text[128];
  FormatTestMark(mark, text, sizeof text);
  port_.Note(text);
}

void Engine::OnTimeOut(int terminal) {
  TestMark mark;
  mark.kind = TestMarkKind::TimeOut;
  mark.terminal = terminal;
  NoteMark(mark);
}

void Engine::OnBytes(const char* bytes, std::size_t count) {
  Feed(bytes, count);
}

void Engine::OnFrame(const char* message, std::size_t length) {
  if (frameObserver_ != nullptr) frameObserver_->OnFrame(message, length);
  dispatcher_.Dispatch(message, length);
  CheckBaseAnswer();
}

// The reader thread only stops the counting; the timer and the buttons belong
// to the window thread, which settles them at its next tick or button press.
void Engine::OnLinkLost() {
  std::scoped_lock lock(lock_);
  if (test_.Running()) {
    test_.testRun = TestRun::Stopped;
    resumeAfterLoss_ = true;
  }
  router_.InvalidateView();
}

void Engine::OnQuiet() {
  std::scoped_lock lock(lock_);
  CheckBaseAnswer();
}

void Engine::CheckBaseAnswer() {
  if (!awaitingBase_) return;
  if (registry_.FirstPresentBase() != 0) {
    awaitingBase_ = false;
    if (!noBaseShown_) return;
    noBaseShown_ = false;
    router_.SetPaneText(0, "  ");
    router_.InvalidateView();
    return;
  }
  if (noBaseShown_ || clock_.NowMs() - openedAtMs_ < kNoBaseAnswerMs) return;
  noBaseShown_ = true;
  router_.SetPaneText(0, kNoBaseText);
  router_.InvalidateView();
}

const char* Engine::NoticeNow() const {
  const bool open = session_.IsOpen();
  return tessaro::ViewNotice(open && session_.LinkLost(), open && noBaseShown_);
}

void Engine::SettleLostLink() {
  linkTest_.StopRun();
  router_.SetButtons(linkTest_.Buttons(false));
}

void Engine::Write(const char* bytes, std::size_t count) {
  session_.Write(bytes, count);
}

}  // namespace tessaro
