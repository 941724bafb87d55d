#pragma once

#include <windows.h>

#include "app/front/ViewTiming.h"
#include "core/Display.h"
#include "win32/ObjectWindow.h"

namespace tessaro {

class Canvas;
class Engine;

// The topology view (window class `Client`): the canvas copied to the screen,
// the mode and run buttons and the view's timers (app/front/ViewTiming.h):
// timer 1 runs the supervision while the display asks for it, timer 2 the
// reconnection all the time.
class ClientView {
 public:
  ClientView(Engine& engine, Canvas& canvas);
  ClientView(const ClientView&) = delete;
  ClientView& operator=(const ClientView&) = delete;

  // Creates the window as a child of `parent`.
  bool Create(HWND parent);
  HWND Hwnd() const { return hwnd_; }
  HWND Button(int id) const { return id == view::kModeButtonId ? mode_ : run_; }

  // Renders the canvas from the model and shows the part that changed.
  void Render(bool whole);
  void RepaintArea(const RECT& area);
  void ApplyButtons(const ButtonState& state);
  void RunSupervision(bool running);

 private:
  // The window procedure's side (ObjectWindow.h).
  template <typename T>
  friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  Engine& engine_;
  Canvas& canvas_;
  HWND hwnd_ = nullptr;
  HWND mode_ = nullptr;
  HWND run_ = nullptr;
};

}  // namespace tessaro
