#pragma once

#include <windows.h>

#include "app/front/ViewScale.h"
#include "app/front/ViewTiming.h"
#include "core/Display.h"
#include "win32/ObjectWindow.h"

namespace tessaro {

class Canvas;
class Engine;

// The topology view (window class `Client`): the part of the canvas in sight
// copied to the screen, the mode and run buttons and the view's timers
// (app/front/ViewTiming.h): timer 1 runs the supervision while the display
// asks for it, timer 2 the reconnection all the time.  Content larger than
// the window scrolls (app/front/ViewScroll.h): the scroll bars, the wheel,
// the arrow and page keys, Home (the top left corner) and End (the far
// corner).  The buttons scroll with the content, as the strip they sit in.
class ClientView {
 public:
  ClientView(Engine& engine, Canvas& canvas);
  ~ClientView();
  ClientView(const ClientView&) = delete;
  ClientView& operator=(const ClientView&) = delete;

  // Creates the window as a child of `parent`.
  bool Create(HWND parent);
  HWND Hwnd() const { return hwnd_; }
  HWND Button(int id) const { return id == view::kModeButtonId ? mode_ : run_; }

  // The screen's scale: canvas, buttons and content size follow it.
  void SetScale(const ViewScale& scale);

  // Renders the canvas from the model and shows the part that changed.
  void Render(bool whole);
  // Shows `area` of the canvas again where it is in sight.
  void RepaintArea(const RECT& area);
  void ApplyButtons(const ButtonState& state);
  void RunSupervision(bool running);

  // The canvas point at the window's top left corner.
  POINT Origin() const { return origin_; }
  const Canvas& GetCanvas() const { return canvas_; }

 private:
  // The window procedure's side (ObjectWindow.h).
  template <typename T>
  friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  // The scroll bars for the content and the window as they are; true when
  // that changed the window's size.
  bool Fit();
  void ScrollTo(int x, int y);
  void OnScrollBar(int bar, int request);
  void OnWheel(int bar, int delta);
  // Scrolls along one bar to `position` (clamped).
  void ScrollAxis(int bar, int position);
  bool OnKey(WPARAM key);
  void PlaceButtons();
  // The buttons hand the view's keys to it.
  static LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

  Engine& engine_;
  Canvas& canvas_;
  HWND hwnd_ = nullptr;
  HWND mode_ = nullptr;
  HWND run_ = nullptr;
  WNDPROC buttonProc_ = nullptr;
  HFONT buttonFont_ = nullptr;
  ViewScale scale_;
  SIZE content_{0, 0};  // device pixels
  SIZE client_{0, 0};
  POINT origin_{0, 0};
  bool fitting_ = false;
};

}  // namespace tessaro
