// The operations of the link test and of the base configuration.

#include "app/Engine.h"

namespace tessaro {

// The buttons are usable only while a port is open; a front end without
// buttons gets the same rule here.
void Engine::ToggleLinkMode() {
  if (!session_.IsOpen()) return;
  std::scoped_lock lock(lock_);
  if (session_.LinkLost()) return SettleLostLink();
  if (!test_.Running()) {
    TestMark mark;
    mark.kind = TestMarkKind::Mode;
    mark.mode = test_.linkMode == LinkMode::Active ? LinkMode::Passive : LinkMode::Active;
    NoteMark(mark);
  }
  linkTest_.ToggleLinkMode();
}

void Engine::ToggleTestRun() {
  if (!session_.IsOpen()) return;
  std::scoped_lock lock(lock_);
  if (session_.LinkLost()) return SettleLostLink();
  if (test_.Running() || test_.linkMode == LinkMode::Active) {
    TestMark mark;
    mark.kind = test_.Running() ? TestMarkKind::Stop : TestMarkKind::Start;
    NoteMark(mark);
  }
  linkTest_.ToggleTestRun();
}

void Engine::StopTestRun() {
  std::scoped_lock lock(lock_);
  if (!test_.Running()) return;
  TestMark mark;
  mark.kind = TestMarkKind::Stop;
  NoteMark(mark);
  linkTest_.ToggleTestRun();
}

void Engine::SuperviseTick() {
  std::scoped_lock lock(lock_);
  if (session_.IsOpen() && session_.LinkLost()) return SettleLostLink();
  linkTest_.SuperviseTick();
}

ButtonState Engine::Buttons() const {
  std::scoped_lock lock(lock_);
  return linkTest_.Buttons(session_.IsOpen() && !session_.LinkLost());
}

void Engine::SetCriteria(const TestCriteria& criteria) {
  std::scoped_lock lock(lock_);
  criteria_ = criteria;
  TestMark mark;
  mark.kind = TestMarkKind::Criteria;
  mark.criteria = criteria;
  NoteMark(mark);
}

TestCriteria Engine::Criteria() const {
  std::scoped_lock lock(lock_);
  return criteria_;
}

void Engine::PresetLinkTest(LinkMode mode, TestRun run) {
  std::scoped_lock lock(lock_);
  test_.linkMode = mode;
  // Only an ACTIVE test runs.
  test_.testRun = mode == LinkMode::Active ? run : TestRun::Stopped;
}

void Engine::ReplayMark(const TestMark& mark) {
  std::scoped_lock lock(lock_);
  switch (mark.kind) {
    case TestMarkKind::Criteria:
      criteria_ = mark.criteria;
      break;
    case TestMarkKind::Mode:
      if (test_.linkMode != mark.mode) linkTest_.ToggleLinkMode();
      break;
    case TestMarkKind::Start:
      if (!test_.Running()) linkTest_.ToggleTestRun();
      break;
    case TestMarkKind::Stop:
      if (test_.Running()) linkTest_.ToggleTestRun();
      break;
    case TestMarkKind::TimeOut:
      linkTest_.CountTimeOut(mark.terminal);
      break;
    case TestMarkKind::LinkLost:
      resumeAfterLoss_ = resumeAfterLoss_ || test_.Running();
      if (test_.Running()) linkTest_.StopRun();
      break;
    case TestMarkKind::Reconnect:
      if (resumeAfterLoss_) linkTest_.ResumeRun();
      resumeAfterLoss_ = false;
      break;
  }
}

int Engine::ConnectedBase() const {
  if (!session_.IsOpen()) return 0;
  std::scoped_lock lock(lock_);
  return registry_.FirstPresentBase();
}

void Engine::ChangeBaseId(int oldBase, int newBase) {
  std::scoped_lock lock(lock_);
  commands_.SendChangeId(*outbound_, oldBase, newBase);
  outbound_->Write(kBaseStatusCommand, kFixedCommandLength);
}

int Engine::SendPropertyChanges(int base, const PropertyChoices& chosen, int timeout) {
  if (!IsBaseNumber(base)) return -1;
  std::scoped_lock lock(lock_);
  return tessaro::SendPropertyChanges(commands_, *outbound_, base, registry_.properties[base],
                                      chosen, timeout, SixChannelMode() != 0);
}

void Engine::ChangeBaud(int base, int baudRow) {
  if (!IsBaseNumber(base)) return;
  std::scoped_lock lock(lock_);
  SendBaudChange(commands_, *outbound_, settings_, registry_.properties[base], baudRow);
}

void Engine::QueryTerminals() {
  std::scoped_lock lock(lock_);
  for (int b = 1; b <= kMaxBase; ++b) {
    if (registry_.IsBasePresent(b)) commands_.SendTerminalQuery(*outbound_, b);
  }
}

}  // namespace tessaro
