#include "win32/Win32Display.h"

#include <memory>

#include "win32/MessageBoxes.h"
#include "win32/WindowMessages.h"

namespace tessaro {

namespace {

// The relay window's timer that brings the display's tick.
constexpr UINT_PTR kTickTimer = 0x7E11;

UINT BoxFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return MB_OK | MB_ICONINFORMATION;
    case MessageIcon::Question:
      return MB_OK | MB_ICONQUESTION;
    default:
      return MB_OK | MB_ICONWARNING;
  }
}

}  // namespace

Win32Display::Win32Display() : windowThread_(GetCurrentThreadId()) {}

void Win32Display::AttachWindow(HWND relay, DisplayTarget* target) {
  relay_.store(relay);
  target_ = target;
}

bool Win32Display::PostToWindow(std::function<void()> call) {
  HWND relay = relay_.load();
  if (relay == nullptr) return false;
  auto* posted = new std::function<void()>(std::move(call));
  if (PostMessageA(relay, kMsgRunCall, 0, reinterpret_cast<LPARAM>(posted))) return true;
  delete posted;
  return false;
}

bool Win32Display::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgRunCall) {
    // The call posted by PostToWindow, travelling as the message's integer.
    const std::unique_ptr<std::function<void()>> call(
        reinterpret_cast<std::function<void()>*>(lParam));
    (*call)();
    return true;
  }
  if (message == WM_TIMER && wParam == kTickTimer) {
    KillTimer(relay_.load(), kTickTimer);
    Tick();
    return true;
  }
  return false;
}

CellBox Win32Display::DrawCell(int x, int y, const char* text, int colourClass) {
  const RECT area = canvas_.DrawCell(x, y, text, colourClass);
  return {area.left, area.top, area.right, area.bottom};
}

void Win32Display::TickAfter(int ms) {
  HWND relay = relay_.load();
  if (relay != nullptr) SetTimer(relay, kTickTimer, static_cast<UINT>(ms), nullptr);
}

void Win32Display::ShowPaneText(int pane, const char* text) {
  if (target_ != nullptr) target_->ShowPaneText(pane, text);
}

void Win32Display::ShowCells(const CellBox* spots, int count) {
  if (target_ == nullptr) return;
  for (int i = 0; i < count; ++i) {
    target_->RepaintArea(RECT{spots[i].left, spots[i].top, spots[i].right, spots[i].bottom});
  }
}

void Win32Display::RenderView(bool whole) {
  if (target_ != nullptr) target_->RenderView(whole);
}

void Win32Display::ApplyButtons(const ButtonState& state) {
  if (target_ != nullptr) target_->ApplyButtons(state);
}

void Win32Display::RunSupervision(bool running) {
  if (target_ != nullptr) target_->RunSupervision(running);
}

// Win32's box has no place for the details.
void Win32Display::ShowBox(const char* text, const char* caption, MessageIcon icon,
                           const char* /*details*/) {
  tessaro::ShowBox(target_ != nullptr ? target_->BoxOwner() : nullptr, text, caption,
                   BoxFlags(icon));
}

}  // namespace tessaro
