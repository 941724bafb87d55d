#include "win32/Demo.h"

#include <cstdio>
#include <cstring>

#include "app/Engine.h"
#include "app/front/AboutTexts.h"
#include "app/front/BaseIdModel.h"
#include "app/front/BaseList.h"
#include "app/front/BasePropertiesModel.h"
#include "app/front/ComPortModel.h"
#include "app/front/CriteriaModel.h"
#include "resources/RfMenu.h"
#include "win32/FrameWindow.h"
#include "win32/LayoutDump.h"
#include "win32/Screenshot.h"
#include "win32/Win32DownloadUi.h"

namespace tessaro {

namespace {

constexpr UINT kTickMs = 100;
constexpr DWORD kModalShownMs = 700;  // a dialog stays up this long for its picture

Demo* running = nullptr;  // the thread timer's receiver

// The dialogs of the menu: their caption, command and picture name.
struct KnownDialog {
  const char* title;
  int command;
  const char* picture;
};

constexpr KnownDialog kDialogs[] = {
    {ComPortModel::kFrame.title, kCmdCommProperties, "comm-properties"},
    {CriteriaModel::kFrame.title, kCmdTestingCriteria, "criteria"},
    {BaseIdModel::kFrame.title, kCmdBaseId, "base-id"},
    {BasePropertiesModel::kFrame.title, kCmdBaseProperties, "base-properties"},
    {AboutBoxLayout::kFrame.title, kCmdAbout, "about"},
};

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

}  // namespace

Demo::Demo(FrameWindow& frame, Engine& engine, const Win32Options& options)
    : frame_(frame), engine_(engine), options_(options) {}

Demo::~Demo() {
  if (timer_ != 0) KillTimer(nullptr, timer_);
  running = nullptr;
}

void Demo::Start() {
  CreateDirectoryA(options_.demoDir.c_str(), nullptr);
  running = this;
  stepStart_ = GetTickCount();
  timer_ = SetTimer(nullptr, 0, kTickMs, OnTimer);
}

void CALLBACK Demo::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (running != nullptr) running->Tick();
}

void Demo::Run(int id) {
  running_ = true;
  frame_.OnCommand(id);
  running_ = false;
}

int Demo::NetworkSize() {
  return DiscoveredSize(engine_);
}

void Demo::Tick() {
  AnswerModal();
  if (running_) return;
  switch (step_) {
    case Step::Done:
      return;
    case Step::Opening:
      if (Since(stepStart_) < 500) return;
      Run(kCmdOpen);
      if (step_ == Step::Done) return;
      if (!engine_.IsPortOpen()) {
        Finish(1, "the port did not open (is COM1 mapped to the simulator?)");
        return;
      }
      step_ = Step::Discovering;
      stepStart_ = GetTickCount();
      discovery_.Start(0);
      return;
    case Step::Discovering: {
      const int size = NetworkSize();
      if (!discovery_.Over(size, Since(stepStart_))) return;
      Save("discovery", true);
      if (engine_.IsLinkLost()) {
        Finish(1, "the link was lost on a quiet line");
        return;
      }
      if (size == 0) {
        Finish(1, "no base answered");
        return;
      }
      HWND run = frame_.View().Button(view::kRunButtonId);
      if (!IsWindowEnabled(run)) {
        Finish(1, "the START button is not enabled");
        return;
      }
      SendMessageA(run, BM_CLICK, 0, 0);
      step_ = Step::Testing;
      stepStart_ = GetTickCount();
      return;
    }
    case Step::Testing:
      if (Since(stepStart_) < static_cast<DWORD>(options_.demoTestSeconds) * 1000) return;
      Save("active-test", true);
      if (engine_.IsLinkLost()) {
        Finish(1, "the link was lost during the test");
        return;
      }
      SendMessageA(frame_.View().Button(view::kRunButtonId), BM_CLICK, 0, 0);  // STOP
      step_ = Step::Dialogs;
      boxesExpected_ = true;
      return;
    case Step::Dialogs:
      if (nextDialog_ < options_.dialogs.size()) {
        current_ = &options_.dialogs[nextDialog_++];
        Run(current_->command);
        current_ = nullptr;
        return;
      }
      step_ = Step::Download;
      return;
    case Step::Download:
      if (options_.downloadImage.empty()) {
        Finish(0, nullptr);
        return;
      }
      frame_.Downloads().ChooseWithoutDialog(options_.downloadImage);
      Run(kCmdDownload);
      step_ = Step::Reopening;
      stepStart_ = GetTickCount();
      return;
    case Step::Reopening:
      // A completed download opens the port again.
      if (engine_.IsPortOpen() && NetworkSize() > 0) {
        Finish(0, nullptr);
      } else if (Since(stepStart_) > DiscoveryWatch::kLimitMs) {
        Finish(1, "the port did not open again after the download");
      }
      return;
  }
}

void Demo::AnswerModal() {
  ModalSearch search{frame_.Downloads().ProgressWindow(), nullptr};
  EnumThreadWindows(GetCurrentThreadId(), NoteModal, reinterpret_cast<LPARAM>(&search));
  if (search.found != modal_) {
    modal_ = search.found;
    modalSince_ = GetTickCount();
    // The scripted values go in at once, so that the picture shows them.
    if (modal_ != nullptr && !FillDialog(modal_, WindowText(modal_))) modal_ = nullptr;
  }
  if (modal_ == nullptr || Since(modalSince_) < kModalShownMs) return;
  HWND dialog = modal_;
  modal_ = nullptr;
  AnswerDialog(dialog, WindowText(dialog));
}

bool Demo::FillDialog(HWND dialog, const std::string& title) {
  for (const KnownDialog& known : kDialogs) {
    if (title != known.title || current_ == nullptr || current_->command != known.command) {
      continue;
    }
    for (const auto& [id, text] : current_->values) {
      if (!SetControl(dialog, id, text)) {
        std::fprintf(stderr, "demo: %s: control %d cannot show \"%s\"\n", known.title, id,
                     text.c_str());
        Press(dialog, IDCANCEL);
        Finish(1, "a scripted value was refused");
        return false;
      }
    }
  }
  return true;
}

void Demo::AnswerDialog(HWND dialog, const std::string& title) {
  for (const KnownDialog& known : kDialogs) {
    if (title != known.title) continue;
    Save(known.picture, false);
    Press(dialog, IDOK);
    return;
  }
  // A message box (its text is on standard output).
  if (!boxesExpected_) {
    Save("error", false);
    Press(dialog, IDOK);
    Finish(1, "the window reported an error");
    return;
  }
  Press(dialog, GetDlgItem(dialog, IDNO) != nullptr ? IDNO : IDOK);
}

bool Demo::SetControl(HWND dialog, int id, const std::string& text) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return false;
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  if (_stricmp(name, "ComboBox") == 0) {
    const LRESULT row = SendMessageA(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
    if (row == CB_ERR) return false;
    SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    // What the list says when the operator picks an entry.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
    return true;
  }
  if (_stricmp(name, "Edit") == 0) {
    return SetWindowTextA(control, text.c_str()) != 0;  // sends EN_CHANGE
  }
  return false;
}

void Demo::Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Demo::Save(const char* name, bool withView) {
  const std::string base = options_.demoDir + "\\" + name;
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  bool ok = SaveScreenArea(screen, base + ".bmp");
  if (withView) {
    // The view's client area alone, as the screen shows it.
    RECT view{};
    GetClientRect(frame_.View().Hwnd(), &view);
    MapWindowPoints(frame_.View().Hwnd(), nullptr, reinterpret_cast<POINT*>(&view), 2);
    ok = SaveScreenArea(view, base + "-view.bmp") && ok;
    ok = WriteLayout(engine_, view.bottom - view.top, base + "-layout.txt") && ok;
  }
  if (ok) {
    std::printf("screenshot: %s.bmp\n", base.c_str());
  } else {
    std::fprintf(stderr, "demo: cannot write %s.bmp\n", base.c_str());
    failed_ = true;
  }
  std::fflush(stdout);
}

void Demo::Finish(int code, const char* why) {
  if (step_ == Step::Done) return;
  step_ = Step::Done;
  if (why != nullptr) std::fprintf(stderr, "demo: %s\n", why);
  std::fflush(stderr);
  if (failed_ && code == 0) code = 1;
  if (code == 0) {
    Run(kCmdExit);  // ends the session, closes the frame and the program
    return;
  }
  if (engine_.IsPortOpen()) Run(kCmdClose);
  PostQuitMessage(code);
}

}  // namespace tessaro
