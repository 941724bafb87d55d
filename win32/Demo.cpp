#include "win32/Demo.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "app/Engine.h"
#include "app/front/ViewTiming.h"
#include "resources/RfMenu.h"
#include "win32/Canvas.h"
#include "win32/FrameWindow.h"
#include "win32/LayoutDump.h"
#include "win32/Screenshot.h"
#include "win32/StatisticsWindow.h"
#include "win32/Win32DownloadUi.h"

namespace tessaro {

namespace {

Demo* running = nullptr;  // the thread timer's receiver

struct ModalSearch {
  HWND skip;
  HWND found;
};

// The dialog or message box that takes input now: a visible, enabled dialog
// window of this thread (every modal loop disables the windows below it).
BOOL CALLBACK NoteModal(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<ModalSearch*>(lParam);
  char name[16] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (hwnd != search->skip && std::strcmp(name, "#32770") == 0 && IsWindowVisible(hwnd) &&
      IsWindowEnabled(hwnd)) {
    search->found = hwnd;
  }
  return TRUE;
}

std::string WindowText(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

Demo::Demo(FrameWindow& frame, Engine& engine, const WindowOptions& options)
    : frame_(frame), engine_(engine), dir_(options.demoDir), script_(*this, engine, options) {}

Demo::~Demo() {
  if (timer_ != 0) KillTimer(nullptr, timer_);
  running = nullptr;
}

void Demo::Start() {
  CreateDirectoryA(dir_.c_str(), nullptr);
  running = this;
  script_.Start(GetTickCount());
  timer_ = SetTimer(nullptr, 0, DemoScript::kTickMs, OnTimer);
}

void CALLBACK Demo::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (running != nullptr) running->script_.Tick(GetTickCount());
}

void Demo::RunCommand(int id) {
  frame_.OnCommand(id);
}

bool Demo::RunButtonEnabled() {
  return IsWindowEnabled(frame_.View().Button(view::kRunButtonId)) != 0;
}

void Demo::ClickRun() {
  SendMessageA(frame_.View().Button(view::kRunButtonId), BM_CLICK, 0, 0);
}

DemoDriver::Modal Demo::FindModal() {
  ModalSearch search{frame_.Downloads().ProgressWindow(), nullptr};
  EnumThreadWindows(GetCurrentThreadId(), NoteModal, reinterpret_cast<LPARAM>(&search));
  modal_ = search.found;
  if (modal_ == nullptr) return {};
  // A message box has no menu dialog's caption; the script tells them apart.
  return {modal_, WindowText(modal_), false};
}

bool Demo::SetControl(int id, const std::string& text) {
  HWND control = GetDlgItem(modal_, id);
  if (control == nullptr) return false;
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  if (_stricmp(name, "ComboBox") == 0) {
    const LRESULT row = SendMessageA(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
    if (row == CB_ERR) return false;
    SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    // What the list says when the operator picks an entry.
    SendMessageA(modal_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
    return true;
  }
  if (_stricmp(name, "Edit") == 0) {
    return SetWindowTextA(control, text.c_str()) != 0;  // sends EN_CHANGE
  }
  return false;
}

void Demo::Press(Answer answer) {
  int id = IDOK;
  if (answer == Answer::kCancel) id = IDCANCEL;
  if (answer == Answer::kNo && GetDlgItem(modal_, IDNO) != nullptr) id = IDNO;
  PressButton(modal_, id);
}

bool Demo::ChooseDownload(const std::string& image) {
  frame_.Downloads().ChooseWithoutDialog(image);
  return true;
}

bool Demo::ExportStatistics(const std::string& table, const std::string& plot, int& rows,
                            int& seconds) {
  StatisticsWindow* window = frame_.Statistics();
  if (window == nullptr || !IsWindowVisible(window->Hwnd())) {
    std::fprintf(stderr, "demo: the statistics window is not shown\n");
    return false;
  }
  rows = static_cast<int>(SendMessageA(window->Table(), LVM_GETITEMCOUNT, 0, 0));
  seconds = static_cast<int>(window->Plot().Points().size());
  bool ok = true;
  for (const auto& [path, error] :
       {std::pair{table, window->ExportTable(table)}, std::pair{plot, window->SavePlot(plot)}}) {
    if (error.empty()) continue;
    std::fprintf(stderr, "demo: cannot write %s: %s\n", path.c_str(), error.c_str());
    ok = false;
  }
  return ok;
}

void Demo::CloseStatistics() {
  if (StatisticsWindow* window = frame_.Statistics()) ShowWindow(window->Hwnd(), SW_HIDE);
}

bool Demo::Save(const char* name, bool withView) {
  const std::string base = dir_ + "\\" + name;
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  bool ok = SaveScreenArea(screen, base + ".bmp");
  if (withView) {
    // The view's client area alone, as the screen shows it.
    RECT view{};
    GetClientRect(frame_.View().Hwnd(), &view);
    MapWindowPoints(frame_.View().Hwnd(), nullptr, reinterpret_cast<POINT*>(&view), 2);
    ok = SaveScreenArea(view, base + "-view.bmp") && ok;
    ClientView& client = frame_.View();
    ok = WriteLayout(engine_, client.GetCanvas().Scale(), client.GetCanvas().Size().cy,
                     client.Origin(), base + "-layout.txt") &&
         ok;
  }
  if (ok) {
    std::printf("screenshot: %s.bmp\n", base.c_str());
  } else {
    std::fprintf(stderr, "demo: cannot write %s.bmp\n", base.c_str());
  }
  return ok;
}

bool Demo::ScrollView(Corner corner) {
  HWND view = frame_.View().Hwnd();
  switch (corner) {
    case Corner::kTopLeft:
      SendMessageA(view, WM_KEYDOWN, VK_HOME, 0);
      break;
    case Corner::kFarCorner:
      SendMessageA(view, WM_KEYDOWN, VK_END, 0);
      break;
    case Corner::kBottomLeft:
      SendMessageA(view, WM_KEYDOWN, VK_END, 0);
      SendMessageA(view, WM_HSCROLL, SB_LEFT, 0);
      break;
  }
  RedrawWindow(view, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return true;
}

void Demo::Quit(int code) {
  if (code == 0) {
    RunCommand(kCmdExit);  // ends the session, closes the frame and the program
    return;
  }
  if (engine_.IsPortOpen()) RunCommand(kCmdClose);
  PostQuitMessage(code);
}

}  // namespace tessaro
