#include "win32/ClientView.h"

#include <algorithm>
#include <utility>

#include "app/Engine.h"
#include "app/front/TopologyLayout.h"
#include "app/front/ViewScroll.h"
#include "win32/Canvas.h"
#include "win32/Fonts.h"

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

HWND MakeButton(HWND parent, int id) {
  return CreateWindowExA(0, "BUTTON", "",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 0, 0, 1,
                         1, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

int Axis(int bar, POINT p) {
  return bar == SB_HORZ ? p.x : p.y;
}

int Extent(int bar, SIZE s) {
  return bar == SB_HORZ ? s.cx : s.cy;
}

int WheelLines() {
  UINT lines = 0;
  if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) || lines > 100) return 0;
  return static_cast<int>(lines);
}

// The scroll bars' requests as moves of the view.
constexpr std::pair<int, scroll::Move> kBarMoves[] = {
    {SB_LINEUP, scroll::Move::kLineBack}, {SB_LINEDOWN, scroll::Move::kLineForward},
    {SB_PAGEUP, scroll::Move::kPageBack}, {SB_PAGEDOWN, scroll::Move::kPageForward},
    {SB_TOP, scroll::Move::kStart},       {SB_BOTTOM, scroll::Move::kEnd},
};

}  // namespace

ClientView::ClientView(Engine& engine, Canvas& canvas) : engine_(engine), canvas_(canvas) {}

ClientView::~ClientView() {
  if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
}

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
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, kClassName, "",
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, 0, 0,
                          1, 1, parent, nullptr, GetModuleHandleA(nullptr), this);
  if (hwnd_ == nullptr) return false;
  mode_ = MakeButton(hwnd_, view::kModeButtonId);
  run_ = MakeButton(hwnd_, view::kRunButtonId);
  for (HWND button : {mode_, run_}) {
    buttonProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClientView::ButtonProc)));
  }
  SetScale(scale_);
  ApplyButtons(engine_.Buttons());
  SetTimer(hwnd_, TimerId(view::Timer::kReconnect), view::kReconnectMs, nullptr);
  return true;
}

LRESULT CALLBACK ClientView::ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ClientView*>(GetWindowLongPtrA(GetParent(button), GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(button, message, wParam, lParam);
  if (message == WM_KEYDOWN && self->OnKey(wParam)) return 0;
  if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
    return SendMessageA(self->hwnd_, message, wParam, lParam);
  }
  return CallWindowProcA(self->buttonProc_, button, message, wParam, lParam);
}

void ClientView::SetScale(const ViewScale& scale) {
  scale_ = scale;
  canvas_.SetScale(scale);
  HFONT font = MakeGuiFont(scale);
  for (HWND button : {mode_, run_}) {
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
  buttonFont_ = font;
  content_ = SIZE{0, 0};
  Render(true);
}

LRESULT ClientView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (!fitting_) {
        Fit();
        Render(true);
      }
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam == 0) OnScrollBar(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      // Shift turns the wheel sideways.
      OnWheel((GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0 ? SB_HORZ : SB_VERT,
              GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_MOUSEHWHEEL:
      // A tilt to the right is positive and moves the view right.
      OnWheel(SB_HORZ, -GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_KEYDOWN:
      if (OnKey(wParam)) return 0;
      return DefWindowProcA(hwnd_, message, wParam, lParam);
    case WM_LBUTTONDOWN:
      SetFocus(hwnd_);
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

bool ClientView::Fit() {
  const SIZE before = client_;
  fitting_ = true;
  // Showing one bar narrows the window and may call for the other: a few
  // rounds settle it.
  for (int round = 0; round < 3; ++round) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const SIZE now{client.right, client.bottom};
    if (round > 0 && now.cx == client_.cx && now.cy == client_.cy) break;
    client_ = now;
    origin_ = {scroll::Clamp(origin_.x, content_.cx, client_.cx),
               scroll::Clamp(origin_.y, content_.cy, client_.cy)};
    for (int bar : {SB_HORZ, SB_VERT}) {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      info.nMax = std::max(Extent(bar, content_) - 1, 0);
      info.nPage = static_cast<UINT>(std::max(Extent(bar, client_), 0));
      info.nPos = Axis(bar, origin_);
      SetScrollInfo(hwnd_, bar, &info, TRUE);
    }
  }
  fitting_ = false;
  PlaceButtons();
  return before.cx != client_.cx || before.cy != client_.cy;
}

void ClientView::PlaceButtons() {
  int index = 0;
  for (HWND button : {mode_, run_}) {
    const layout::ButtonGeometry g = layout::ButtonRect(index++);
    const int left = scale_.Px(g.x);
    const int top = scale_.Px(g.y);
    SetWindowPos(button, nullptr, left - origin_.x, top - origin_.y,
                 scale_.Px(g.x + g.width) - left, scale_.Px(g.y + g.height) - top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void ClientView::ScrollTo(int x, int y) {
  const POINT next{scroll::Clamp(x, content_.cx, client_.cx),
                   scroll::Clamp(y, content_.cy, client_.cy)};
  if (next.x == origin_.x && next.y == origin_.y) return;
  origin_ = next;
  SetScrollPos(hwnd_, SB_HORZ, origin_.x, TRUE);
  SetScrollPos(hwnd_, SB_VERT, origin_.y, TRUE);
  PlaceButtons();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ClientView::OnScrollBar(int bar, int request) {
  const int content = Extent(bar, content_);
  const int page = Extent(bar, client_);
  if (request == SB_THUMBTRACK || request == SB_THUMBPOSITION) {
    // The 32-bit position, not the message's 16 bits.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(hwnd_, bar, &info);
    ScrollAxis(bar, info.nTrackPos);
    return;
  }
  for (const auto& [code, move] : kBarMoves) {
    if (code != request) continue;
    ScrollAxis(bar, scroll::Moved(Axis(bar, origin_), move, content, page,
                                  scale_.Px(scroll::kLinePixels)));
    return;
  }
}

void ClientView::OnWheel(int bar, int delta) {
  ScrollAxis(bar, scroll::Wheeled(Axis(bar, origin_), delta, WheelLines(), Extent(bar, content_),
                                  Extent(bar, client_), scale_.Px(scroll::kLinePixels)));
}

void ClientView::ScrollAxis(int bar, int position) {
  if (bar == SB_HORZ) {
    ScrollTo(position, origin_.y);
  } else {
    ScrollTo(origin_.x, position);
  }
}

bool ClientView::OnKey(WPARAM key) {
  switch (key) {
    case VK_UP:
      OnScrollBar(SB_VERT, SB_LINEUP);
      return true;
    case VK_DOWN:
      OnScrollBar(SB_VERT, SB_LINEDOWN);
      return true;
    case VK_LEFT:
      OnScrollBar(SB_HORZ, SB_LINEUP);
      return true;
    case VK_RIGHT:
      OnScrollBar(SB_HORZ, SB_LINEDOWN);
      return true;
    case VK_PRIOR:
      OnScrollBar(SB_VERT, SB_PAGEUP);
      return true;
    case VK_NEXT:
      OnScrollBar(SB_VERT, SB_PAGEDOWN);
      return true;
    case VK_HOME:
      ScrollTo(0, 0);
      return true;
    case VK_END:
      ScrollTo(content_.cx, content_.cy);
      return true;
    default:
      return false;
  }
}

void ClientView::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  canvas_.CopyTo(dc, paint.rcPaint, origin_);
  EndPaint(hwnd_, &paint);
}

void ClientView::Render(bool whole) {
  if (hwnd_ == nullptr) return;
  SIZE content{};
  const RECT area = engine_.Read([this, whole, &content](const EngineView& v) {
    const ContentSize needed = ContentSizeOf(v.registry, v.portOpen);
    content = SIZE{scale_.Px(needed.width), scale_.Px(needed.height)};
    // The canvas holds the content, or fills the window where that is larger.
    const SIZE have = canvas_.Size();
    const SIZE want{std::max(content.cx, client_.cx), std::max(content.cy, client_.cy)};
    const bool resized = have.cx != want.cx || have.cy != want.cy;
    if (resized) canvas_.Resize(want.cx, want.cy);
    return canvas_.Render(TopologyModel{v.registry, v.test, v.portOpen, v.notice},
                          whole || resized);
  });
  if (content.cx != content_.cx || content.cy != content_.cy) {
    content_ = content;
    // New bars may change the window's size, and with it the canvas's.
    if (Fit()) {
      Render(true);
      return;
    }
  }
  RepaintArea(area);
}

void ClientView::RepaintArea(const RECT& area) {
  if (hwnd_ == nullptr) return;
  RECT shown = area;
  OffsetRect(&shown, -origin_.x, -origin_.y);
  InvalidateRect(hwnd_, &shown, FALSE);
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
