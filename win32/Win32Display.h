#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>

#include "app/front/CellPlacer.h"
#include "app/front/HandOver.h"
#include "app/front/PaneTexts.h"
#include "core/Display.h"
#include "win32/Canvas.h"

namespace tessaro {

class Engine;

// What the display's updates land on, on the window thread (the frame).
class DisplayTarget {
 public:
  virtual ~DisplayTarget() = default;
  virtual void ShowPaneText(int pane, const char* text) = 0;
  // A part of the view's canvas changed: copy it to the screen.
  virtual void RepaintArea(const RECT& area) = 0;
  // Render the canvas from the model (inside Engine::Read) and show it.
  virtual void RenderView(bool whole) = 0;
  virtual void ApplyButtons(const ButtonState& state) = 0;
  virtual void RunSupervision(bool running) = 0;
  // The owner of the message boxes.
  virtual HWND BoxOwner() = 0;
};

// The window's side of the core's Display.  Calls from the reader thread reach
// the window thread as posted messages and never wait for it; each kind of
// update (pane texts, cell areas, repaints) has at most one message
// outstanding, carrying whatever is latest when it is handled, so a flood of
// messages cannot grow the window thread's queue.
//
// Create it on the window thread, before the engine; attach the engine, then
// the frame.  It owns the canvas, which outlives the frame.
class Win32Display final : public Display, public CellPlacer {
 public:
  Win32Display();

  void AttachEngine(Engine& engine);
  // `relay` receives the posted messages and hands them to HandleMessage;
  // nullptrs detach (the frame is going).
  void AttachWindow(HWND relay, DisplayTarget* target);
  // A posted message of ours: handled (true) or not ours.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  Canvas& GetCanvas() { return canvas_; }

  void SetPaneText(int pane, const char* text) override;
  void DrawCellAt(int x, int y, const char* text, int colourClass) override;
  void InvalidateTopology() override;
  void InvalidateView() override;
  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;
  void SetButtons(const ButtonState& state) override;
  void SetSupervisionTimer(bool running) override;

  // Posted messages of ours waiting in the window thread's queue now, and
  // the most there ever were.
  int QueuedMessages() const { return queue_.Now(); }
  int MostQueuedMessages() const { return queue_.Most(); }

 private:
  bool OnWindowThread() const { return GetCurrentThreadId() == windowThread_; }
  // Posts `message`; false (and nothing queued) without a window.
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Posts `message` unless `posted` says one is outstanding already.
  void PostOnce(std::atomic<bool>& posted, UINT message);
  void FlushPanes();
  void FlushCells();
  void FlushRender();

  DWORD windowThread_;
  Canvas canvas_;
  std::atomic<HWND> relay_{nullptr};
  DisplayTarget* target_ = nullptr;

  PaneTexts panes_;
  std::atomic<bool> panesPosted_{false};

  std::mutex cellMutex_;
  RECT cellArea_{};
  std::atomic<bool> cellsPosted_{false};

  RenderRequest render_;
  QueueGauge queue_;
};

}  // namespace tessaro
