#include "win32/Win32Display.h"

#include <cstring>
#include <memory>
#include <string>

#include "app/Engine.h"
#include "win32/MessageBoxes.h"
#include "win32/WindowMessages.h"

namespace tessaro {

namespace {

// A message box asked for from another thread.
struct PostedBox {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

// Button texts and states handed over from another thread.
struct PostedButtons {
  std::string modeText;
  std::string runText;
  ButtonState state;
};

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

void Win32Display::AttachEngine(Engine& engine) {
  engine.PlaceCellsFor(this);
}

void Win32Display::AttachWindow(HWND relay, DisplayTarget* target) {
  relay_.store(relay);
  target_ = target;
}

bool Win32Display::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND relay = relay_.load();
  if (relay == nullptr) return false;
  queue_.Posted();
  if (PostMessageA(relay, message, wParam, lParam)) return true;
  queue_.Ran();
  return false;
}

void Win32Display::PostOnce(std::atomic<bool>& posted, UINT message) {
  if (!posted.exchange(true) && !Post(message)) posted.store(false);
}

bool Win32Display::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgFlushPanes:
      queue_.Ran();
      FlushPanes();
      return true;
    case kMsgFlushCells:
      queue_.Ran();
      FlushCells();
      return true;
    case kMsgFlushRender:
      queue_.Ran();
      FlushRender();
      return true;
    case kMsgShowMessage: {
      queue_.Ran();
      const std::unique_ptr<PostedBox> box(reinterpret_cast<PostedBox*>(lParam));
      ShowMessage(box->text.c_str(), box->caption.c_str(), box->icon);
      return true;
    }
    case kMsgApplyButtons: {
      queue_.Ran();
      std::unique_ptr<PostedButtons> buttons(reinterpret_cast<PostedButtons*>(lParam));
      buttons->state.modeText = buttons->modeText.c_str();
      buttons->state.runText = buttons->runText.c_str();
      SetButtons(buttons->state);
      return true;
    }
    case kMsgSupervision:
      queue_.Ran();
      SetSupervisionTimer(wParam != 0);
      return true;
    default:
      return false;
  }
}

void Win32Display::SetPaneText(int pane, const char* text) {
  if (!panes_.Store(pane, text)) return;
  if (OnWindowThread()) {
    FlushPanes();
  } else {
    PostOnce(panesPosted_, kMsgFlushPanes);
  }
}

void Win32Display::FlushPanes() {
  // Cleared before reading: a text written from now on posts a new flush.
  panesPosted_.store(false);
  char texts[PaneTexts::kPanes][PaneTexts::kSize];
  bool dirty[PaneTexts::kPanes];
  if (!panes_.Take(texts, dirty) || target_ == nullptr) return;
  for (int i = 0; i < PaneTexts::kPanes; ++i) {
    if (dirty[i]) target_->ShowPaneText(i, texts[i]);
  }
}

void Win32Display::DrawCellAt(int x, int y, const char* text, int colourClass) {
  const RECT area = canvas_.DrawCell(x, y, text, colourClass);
  {
    std::scoped_lock lock(cellMutex_);
    RECT joined{};
    UnionRect(&joined, &cellArea_, &area);
    cellArea_ = joined;
  }
  if (OnWindowThread()) {
    FlushCells();
  } else {
    PostOnce(cellsPosted_, kMsgFlushCells);
  }
}

void Win32Display::FlushCells() {
  cellsPosted_.store(false);
  RECT area{};
  {
    std::scoped_lock lock(cellMutex_);
    area = cellArea_;
    SetRectEmpty(&cellArea_);
  }
  if (target_ != nullptr && !IsRectEmpty(&area)) target_->RepaintArea(area);
}

// Rendering reads the model under the engine lock, which the caller of these
// two may hold: the render always runs later, from the window thread's queue.
void Win32Display::InvalidateTopology() {
  if (render_.AskTopology() && !Post(kMsgFlushRender)) render_.PostFailed();
}

void Win32Display::InvalidateView() {
  if (render_.AskWhole() && !Post(kMsgFlushRender)) render_.PostFailed();
}

void Win32Display::FlushRender() {
  const RenderRequest::Part part = render_.Take();
  if (target_ == nullptr || part == RenderRequest::Part::kNone) return;
  target_->RenderView(part == RenderRequest::Part::kWhole);
}

void Win32Display::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  // A message box waits for the operator: from any other thread it is
  // handed over, never waited for.
  if (!OnWindowThread()) {
    auto* box = new PostedBox{text, caption, icon};
    if (!Post(kMsgShowMessage, 0, reinterpret_cast<LPARAM>(box))) delete box;
    return;
  }
  ShowBox(target_ != nullptr ? target_->BoxOwner() : nullptr, text, caption, BoxFlags(icon));
}

void Win32Display::SetButtons(const ButtonState& state) {
  if (!OnWindowThread()) {
    auto* buttons = new PostedButtons{state.modeText, state.runText, state};
    if (!Post(kMsgApplyButtons, 0, reinterpret_cast<LPARAM>(buttons))) delete buttons;
    return;
  }
  if (target_ != nullptr) target_->ApplyButtons(state);
}

void Win32Display::SetSupervisionTimer(bool running) {
  if (!OnWindowThread()) {
    Post(kMsgSupervision, running ? 1 : 0);
    return;
  }
  if (target_ != nullptr) target_->RunSupervision(running);
}

}  // namespace tessaro
