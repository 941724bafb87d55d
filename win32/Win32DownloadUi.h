#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "download/DownloadUi.h"

namespace tessaro {

class FrameWindow;
class ProgressDialog;

// The download's dialogs on Win32: the open-file dialog, message boxes owned
// by the view, and the modeless "Progress" dialog with its bar.
class Win32DownloadUi final : public DownloadUi {
 public:
  explicit Win32DownloadUi(FrameWindow& frame);
  ~Win32DownloadUi() override;

  // A scripted run chooses `path` instead of asking the operator: the file
  // dialog is not shown, but the window thread still runs what is queued (the
  // session's posted Close) before the choice returns, as the dialog's loop
  // would.  Empty: the dialog again.
  void ChooseWithoutDialog(const std::string& path) { scripted_ = path; }

  bool ChooseImageFile(char* path, std::size_t size) override;
  void ShowMessage(const char* text, const char* caption, DownloadBox box, BoxOwner owner) override;
  bool AskRetry(const char* text, const char* caption) override;
  void ShowProgress() override;
  void SetProgress(int percent) override;
  void HideProgress() override;
  void LetWindowsPaint() override;

  // The progress dialog while it is up, else nullptr.
  HWND ProgressWindow() const;

 private:
  // Runs the window thread's queue until the commands posted to the frame
  // have run (or a few seconds passed).
  void RunPostedCommands();

  FrameWindow& frame_;
  std::string scripted_;
  std::unique_ptr<ProgressDialog> progress_;
};

}  // namespace tessaro
