#include "win32/FrameWindow.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/Engine.h"
#include "app/front/StatusPanes.h"
#include "resources/RfMenu.h"
#include "win32/Dialogs.h"
#include "win32/Fonts.h"
#include "win32/ResourceIds.h"
#include "win32/StatisticsWindow.h"
#include "win32/Win32DownloadUi.h"
#include "win32/WindowMessages.h"

namespace tessaro {

namespace {

constexpr char kClassName[] = "RF";

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  for (const MenuPopup& popup : kRfMenu) {
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < popup.count; ++i) {
      const MenuEntry& entry = popup.entries[i];
      if (entry.id == 0) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      } else {
        const UINT state = MenuItemEnabled(entry.id) ? MF_ENABLED : MF_GRAYED;
        AppendMenuA(menu, MF_STRING | state, static_cast<UINT_PTR>(entry.id), entry.text);
      }
    }
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), popup.text);
  }
  return bar;
}

HICON LoadIconSized(int size) {
  return static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_RF), IMAGE_ICON, size, size, 0));
}

}  // namespace

FrameWindow::FrameWindow(Engine& engine, Win32Display& display)
    : engine_(engine),
      display_(display),
      view_(engine, display.GetCanvas()),
      downloadUi_(std::make_unique<Win32DownloadUi>(*this)),
      commands_(engine, display, *this) {}

FrameWindow::~FrameWindow() {
  // The reader thread draws into the view: it ends before the view goes.
  engine_.ShutDown();
  display_.AttachWindow(nullptr, nullptr);
  if (hwnd_ != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  if (statusFont_ != nullptr) DeleteObject(statusFont_);
}

bool FrameWindow::Create(int show) {
  bigIcon_ = LoadIconSized(32);
  smallIcon_ = LoadIconSized(16);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ObjectWindowProc<FrameWindow>;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = bigIcon_;
  wc.hIconSm = smallIcon_;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (RegisterClassExA(&wc) == 0) return false;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN) - ViewScale(WindowDpi(nullptr)).Px(30);
  hwnd_ = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width,
                          height, nullptr, BuildMenu(), GetModuleHandleA(nullptr), this);
  if (hwnd_ == nullptr) return false;
  status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                            0, 0, hwnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!view_.Create(hwnd_)) return false;
  display_.AttachWindow(hwnd_, this);
  ApplyScale(ViewScale(WindowDpi(hwnd_)));
  ShowWindow(hwnd_, show);
  UpdateWindow(hwnd_);
  return true;
}

LRESULT FrameWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (display_.HandleMessage(message, wParam, lParam)) return 0;
  switch (message) {
    case WM_COMMAND:
      // Menu items only; the view's buttons go to the view.
      if (lParam == 0) OnCommand(LOWORD(wParam));
      return 0;
    case kMsgCommand:
      --pendingCommands_;
      OnCommand(static_cast<int>(wParam));
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SETFOCUS:
      // The keys go to the view, which scrolls with them.
      SetFocus(view_.Hwnd());
      return 0;
    case WM_DPICHANGED: {
      // Moved to a screen of another density (or its setting changed): the
      // size Windows suggests for it, everything drawn at its scale.
      ApplyScale(ViewScale(HIWORD(wParam)));
      MoveToSuggested(hwnd_, lParam);
      return 0;
    }
    case WM_CLOSE:
      // Exit has ended the session already; the close box asks first.
      if (commands_.RequestClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      display_.AttachWindow(nullptr, nullptr);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

void FrameWindow::ApplyScale(const ViewScale& scale) {
  scale_ = scale;
  HFONT font = MakeGuiFont(scale);
  SendMessageA(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (statusFont_ != nullptr) DeleteObject(statusFont_);
  statusFont_ = font;
  view_.SetScale(scale);
  Layout();
}

void FrameWindow::Layout() {
  if (status_ == nullptr || view_.Hwnd() == nullptr) return;
  SendMessageA(status_, WM_SIZE, 0, 0);
  RECT client{};
  GetClientRect(hwnd_, &client);
  RECT bar{};
  GetWindowRect(status_, &bar);
  const int barHeight = bar.bottom - bar.top;
  // The panes as the layout places them, at the screen's scale.
  PaneSpan spans[kStatusPanes];
  PlaceStatusPanes(scale_.Logical(client.right), spans);
  int edges[kStatusPanes];
  for (int i = 0; i < kStatusPanes; ++i) edges[i] = scale_.Px(spans[i].right);
  edges[kStatusPanes - 1] = -1;
  SendMessageA(status_, SB_SETPARTS, kStatusPanes, reinterpret_cast<LPARAM>(edges));
  MoveWindow(view_.Hwnd(), 0, 0, client.right, client.bottom - barHeight, TRUE);
}

void FrameWindow::OnCommand(int id) {
  commands_.Execute(id);
}

void FrameWindow::PostCommand(int id) {
  if (PostMessageA(hwnd_, kMsgCommand, static_cast<WPARAM>(id), 0)) ++pendingCommands_;
}

void FrameWindow::ShowPaneText(int pane, const char* text) {
  const std::string shown = ShownPaneText(text);
  SendMessageA(status_, SB_SETTEXTA, static_cast<WPARAM>(pane),
               reinterpret_cast<LPARAM>(shown.c_str()));
}

void FrameWindow::RunComPortDialog(ComPortModel& model) {
  RunComPortDlg(hwnd_, model);
}

void FrameWindow::RunCriteriaDialog(CriteriaModel& model) {
  RunCriteriaDlg(hwnd_, model);
}

void FrameWindow::RunBaseIdDialog(BaseIdModel& model) {
  RunBaseIdDlg(hwnd_, model);
}

void FrameWindow::RunBasePropertiesDialog(BasePropertiesModel& model) {
  RunBasePropertiesDlg(hwnd_, model);
}

void FrameWindow::RunAboutBox() {
  RunAboutDlg(hwnd_);
}

void FrameWindow::ShowStatistics() {
  if (statistics_ == nullptr) statistics_ = std::make_unique<StatisticsWindow>(engine_);
  statistics_->Show(hwnd_);
}

DownloadUi& FrameWindow::DownloadDialogs() {
  return *downloadUi_;
}

void FrameWindow::CloseFrame() {
  DestroyWindow(hwnd_);
}

}  // namespace tessaro
