#include "win32/ClientView.h"

#include <utility>

#include "app/Engine.h"
#include "app/front/TopologyLayout.h"
#include "win32/Canvas.h"

namespace tessaro {

namespace {

constexpr char kClassName[] = "Client";

// The view's timers by their window timer ids.
constexpr std::pair<UINT_PTR, view::Timer> kTimers[] = {{1, view::Timer::kSupervision},
                                                        {2, view::Timer::kReconnect}};

UINT_PTR TimerId(view::Timer which) {
  for (const auto& [id, timer] : kTimers) {
    if (timer == which) return id;
  }
  return 0;
}

HWND MakeButton(HWND parent, int index, int id) {
  const layout::ButtonGeometry g = layout::ButtonRect(index);
  HWND button = CreateWindowExA(
      0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, g.x, g.y,
      g.width, g.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      GetModuleHandleA(nullptr), nullptr);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return button;
}

}  // namespace

ClientView::ClientView(Engine& engine, Canvas& canvas) : engine_(engine), canvas_(canvas) {}

bool ClientView::Create(HWND parent) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ObjectWindowProc<ClientView>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    // Every pixel comes from the canvas: no background erase, no flicker.
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kClassName;
    registered = RegisterClassA(&wc) != 0;
  }
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                          0, 0, 1, 1, parent, nullptr, GetModuleHandleA(nullptr), this);
  if (hwnd_ == nullptr) return false;
  mode_ = MakeButton(hwnd_, 0, view::kModeButtonId);
  run_ = MakeButton(hwnd_, 1, view::kRunButtonId);
  ApplyButtons(engine_.Buttons());
  SetTimer(hwnd_, TimerId(view::Timer::kReconnect), view::kReconnectMs, nullptr);
  return true;
}

LRESULT ClientView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      canvas_.Resize(LOWORD(lParam), HIWORD(lParam));
      Render(true);
      return 0;
    case WM_TIMER:
      for (const auto& [id, timer] : kTimers) {
        if (wParam == id) view::TimerFired(engine_, timer);
      }
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) view::ButtonPressed(engine_, LOWORD(wParam));
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

void ClientView::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  canvas_.CopyTo(dc, paint.rcPaint);
  EndPaint(hwnd_, &paint);
}

void ClientView::Render(bool whole) {
  const RECT area = engine_.Read([this, whole](const EngineView& v) {
    return canvas_.Render(TopologyModel{v.registry, v.test, v.portOpen, v.notice}, whole);
  });
  RepaintArea(area);
}

void ClientView::RepaintArea(const RECT& area) {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, &area, FALSE);
}

void ClientView::ApplyButtons(const ButtonState& state) {
  SetWindowTextA(mode_, state.modeText);
  SetWindowTextA(run_, state.runText);
  EnableWindow(mode_, state.modeEnabled);
  EnableWindow(run_, state.runEnabled);
  if (state.focusMode) SetFocus(mode_);
}

void ClientView::RunSupervision(bool running) {
  if (running) {
    SetTimer(hwnd_, TimerId(view::Timer::kSupervision), view::kSupervisionMs, nullptr);
  } else {
    KillTimer(hwnd_, TimerId(view::Timer::kSupervision));
  }
}

}  // namespace tessaro
