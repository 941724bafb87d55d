#pragma once

#include <windows.h>

#include <atomic>

#include "app/front/WindowDisplay.h"
#include "win32/Canvas.h"

namespace tessaro {

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

// The Win32 window's port of the window kit's display: calls handed over as
// messages posted to a relay window (the frame), the tick as a timer of that
// window, and the frame as the target.
//
// Create it on the window thread, before the engine; attach the engine, then
// the frame.  It owns the canvas, which outlives the frame.
class Win32Display final : public WindowDisplay {
 public:
  Win32Display();

  // `relay` receives the posted messages and hands them to HandleMessage;
  // nullptrs detach (the frame is going).
  void AttachWindow(HWND relay, DisplayTarget* target);
  // A message of ours: handled (true) or not ours.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  Canvas& GetCanvas() { return canvas_; }

 private:
  bool OnWindowThread() const override { return GetCurrentThreadId() == windowThread_; }
  bool PostToWindow(std::function<void()> call) override;
  CellBox DrawCell(int x, int y, const char* text, int colourClass) override;
  void TickAfter(int ms) override;
  void ShowPaneText(int pane, const char* text) override;
  void ShowCells(const CellBox* spots, int count) override;
  void RenderView(bool whole) override;
  void ApplyButtons(const ButtonState& state) override;
  void RunSupervision(bool running) override;
  void ShowBox(const char* text, const char* caption, MessageIcon icon,
               const char* details) override;

  DWORD windowThread_;
  Canvas canvas_;
  std::atomic<HWND> relay_{nullptr};
  DisplayTarget* target_ = nullptr;
};

}  // namespace tessaro
