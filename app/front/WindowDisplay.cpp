#include "app/front/WindowDisplay.h"

#include <string>

#include "app/Engine.h"
#include "app/front/ViewTiming.h"

namespace tessaro {

void WindowDisplay::AttachEngine(Engine& engine) {
  engine.PlaceCellsFor(this);
}

bool WindowDisplay::Post(std::function<void()> call) {
  queue_.Posted();
  const bool posted = PostToWindow([this, call = std::move(call)] {
    queue_.Ran();
    call();
  });
  if (!posted) queue_.Ran();
  return posted;
}

void WindowDisplay::SetPaneText(int pane, const char* text) {
  if (!panes_.Store(pane, text)) return;
  if (OnWindowThread()) {
    ShowPanes();
  } else {
    WakeTick();
  }
}

bool WindowDisplay::ShowPanes() {
  char texts[PaneTexts::kPanes][PaneTexts::kSize];
  bool dirty[PaneTexts::kPanes];
  if (!panes_.Take(texts, dirty)) return false;
  for (int i = 0; i < PaneTexts::kPanes; ++i) {
    if (dirty[i]) ShowPaneText(i, texts[i]);
  }
  return true;
}

void WindowDisplay::WakeTick() {
  if (!tickPosted_.exchange(true) && !Post([this] { Tick(); })) tickPosted_.store(false);
}

// While the reader thread keeps handing texts or cells over, the tick comes
// back by itself and the reader posts nothing: a wake-up of the window thread
// per message would cost the reader a post and a processor.
void WindowDisplay::Tick() {
  const bool cells = ShowCellsNow();
  const bool panes = panes_.Waiting();
  const auto now = std::chrono::steady_clock::now();
  // Half a tick early is on time: the tick's own timer runs a little late.
  constexpr auto kPaneDue = std::chrono::milliseconds(view::kPaneMs - view::kCellMs / 2);
  if (panes && (!panesEverShown_ || now - panesShown_ >= kPaneDue)) {
    ShowPanes();
    panesShown_ = now;
    panesEverShown_ = true;
  }
  if (cells || panes) {
    TickAfter(view::kCellMs);
    return;
  }
  tickPosted_.store(false);
  // What came while the flag was still set posted nothing: it is shown here,
  // unless something since has posted a tick of its own.
  if ((CellsWaiting() || panes_.Waiting()) && !tickPosted_.exchange(true)) Tick();
}

void WindowDisplay::DrawCellAt(int x, int y, const char* text, int colourClass) {
  const CellBox area = DrawCell(x, y, text, colourClass);
  {
    std::scoped_lock lock(cellMutex_);
    cellSpots_.Add(area);
  }
  if (OnWindowThread()) {
    ShowCellsNow();
  } else {
    WakeTick();
  }
}

bool WindowDisplay::ShowCellsNow() {
  CellSpots::Taken taken;
  {
    std::scoped_lock lock(cellMutex_);
    cellSpots_.Take(taken);
  }
  if (taken.count == 0) return false;
  ShowCells(taken.spots.data(), taken.count);
  return true;
}

bool WindowDisplay::CellsWaiting() {
  std::scoped_lock lock(cellMutex_);
  return !cellSpots_.Empty();
}

// Rendering reads the model under the engine lock, which the caller of these
// two may hold: the render always runs later, from the window thread's queue.
void WindowDisplay::InvalidateTopology() {
  if (render_.AskTopology() && !Post([this] { FlushRender(); })) render_.PostFailed();
}

void WindowDisplay::InvalidateView() {
  if (render_.AskWhole() && !Post([this] { FlushRender(); })) render_.PostFailed();
}

void WindowDisplay::FlushRender() {
  const RenderRequest::Part part = render_.Take();
  if (part == RenderRequest::Part::kNone) return;
  RenderView(part == RenderRequest::Part::kWhole);
}

void WindowDisplay::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  ShowMessageWithDetails(text, caption, icon, "");
}

void WindowDisplay::ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                                           const char* details) {
  // A message box waits for the operator: from any other thread it is
  // handed over, never waited for.
  if (OnWindowThread()) {
    ShowBox(text, caption, icon, details != nullptr ? details : "");
    return;
  }
  Post([this, body = std::string(text), title = std::string(caption), icon,
        more = std::string(details != nullptr ? details : "")] {
    ShowBox(body.c_str(), title.c_str(), icon, more.c_str());
  });
}

void WindowDisplay::SetButtons(const ButtonState& state) {
  if (OnWindowThread()) {
    ApplyButtons(state);
    return;
  }
  // The texts are copied: the caller's are gone by the time this runs.
  Post([this, state, mode = std::string(state.modeText), run = std::string(state.runText)] {
    ButtonState copy = state;
    copy.modeText = mode.c_str();
    copy.runText = run.c_str();
    ApplyButtons(copy);
  });
}

void WindowDisplay::SetSupervisionTimer(bool running) {
  if (OnWindowThread()) {
    RunSupervision(running);
    return;
  }
  Post([this, running] { RunSupervision(running); });
}

}  // namespace tessaro
