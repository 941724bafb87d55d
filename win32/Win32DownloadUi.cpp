#include "win32/Win32DownloadUi.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>

#include "download/DownloadTexts.h"
#include "win32/DialogTemplate.h"
#include "win32/FrameWindow.h"
#include "win32/MessageBoxes.h"

namespace tessaro {

namespace {

constexpr int kProgressBarId = 1001;
constexpr DWORD kPostedCommandsWaitMs = 5000;

// "Absolute object programs {*.ABO}", the S-record names and all files, as
// the file dialog's pairs of text and patterns.
std::string FileFilter() {
  std::string filter;
  const auto add = [&filter](const char* text, const char* patterns) {
    filter.append(text).push_back('\0');
    filter.append(patterns).push_back('\0');
  };
  add(download_text::kFileFilter, download_text::kFilePattern);
  add(download_text::kSRecordFilter, "*.s19;*.srec;*.mot");
  add(download_text::kAllFilesFilter, "*.*");
  return filter;
}

}  // namespace

// "Downloading..." and a bar from 0 to 100.  It takes no input that could
// end it: the close box and Escape do nothing; the download destroys it.
class ProgressDialog final : public DialogBase {
 public:
  HWND hwnd = nullptr;

 private:
  BOOL OnInit(HWND dialog) override {
    RECT client{};
    GetClientRect(dialog, &client);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "Downloading", WS_CHILD | WS_VISIBLE, 14,
                               client.bottom / 2, client.right - 28, 20, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProgressBarId)),
                               GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bar, PBM_SETRANGE32, 0, 100);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    return FALSE;
  }
  bool OnCommand(HWND /*dialog*/, int /*id*/, int /*code*/) override { return false; }
  void OnCancel(HWND /*dialog*/) override {}
};

Win32DownloadUi::Win32DownloadUi(FrameWindow& frame) : frame_(frame) {}

Win32DownloadUi::~Win32DownloadUi() {
  HideProgress();
}

void Win32DownloadUi::RunPostedCommands() {
  const DWORD start = GetTickCount();
  while (frame_.PendingCommands() > 0 && GetTickCount() - start < kPostedCommandsWaitMs) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (frame_.PendingCommands() > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

bool Win32DownloadUi::ChooseImageFile(char* path, std::size_t size) {
  if (!scripted_.empty()) {
    RunPostedCommands();
    if (scripted_.size() >= size) {
      path[0] = '\0';  // no room for it: an empty path fails to open, with its message
    } else {
      std::memcpy(path, scripted_.c_str(), scripted_.size() + 1);
    }
    return true;
  }
  const std::string filter = FileFilter();
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = frame_.View().Hwnd();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;  // the previous choice, or empty
  dialog.nMaxFile = static_cast<DWORD>(size);
  dialog.lpstrDefExt = download_text::kDefaultExtension;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (GetOpenFileNameA(&dialog)) return true;
  // Cancelled, or a name longer than the room: both choose nothing.
  path[0] = '\0';
  return false;
}

void Win32DownloadUi::ShowMessage(const char* text, const char* caption, DownloadBox box,
                                  BoxOwner owner) {
  ShowBox(owner == BoxOwner::kView ? frame_.View().Hwnd() : nullptr, text, caption,
          MB_OK | (box == DownloadBox::kWarning ? MB_ICONWARNING : 0));
}

bool Win32DownloadUi::AskRetry(const char* text, const char* caption) {
  return ShowBox(frame_.View().Hwnd(), text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Win32DownloadUi::ShowProgress() {
  HideProgress();
  DialogTemplate tmpl(DialogFrame{download_text::kProgressTitle, 104, 40});
  tmpl.Add(DialogTemplate::kStatic, download_text::kProgressText, -1, DuRect{10, 8, 80, 12},
           SS_LEFT | SS_NOPREFIX);
  progress_ = std::make_unique<ProgressDialog>();
  progress_->hwnd = progress_->CreateModeless(frame_.Hwnd(), tmpl);
}

void Win32DownloadUi::SetProgress(int percent) {
  if (progress_ != nullptr && progress_->hwnd != nullptr) {
    SendDlgItemMessageA(progress_->hwnd, kProgressBarId, PBM_SETPOS, static_cast<WPARAM>(percent),
                        0);
  }
}

void Win32DownloadUi::HideProgress() {
  if (progress_ != nullptr && progress_->hwnd != nullptr) DestroyWindow(progress_->hwnd);
  progress_.reset();
}

void Win32DownloadUi::LetWindowsPaint() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
}

HWND Win32DownloadUi::ProgressWindow() const {
  return progress_ != nullptr ? progress_->hwnd : nullptr;
}

}  // namespace tessaro
