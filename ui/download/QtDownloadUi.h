#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "download/DownloadUi.h"

class QDialog;
class QProgressBar;

namespace tessaro {

// The download's dialogs as Qt widgets: the open-file dialog, the message
// boxes (owned by the topology view, or by no window), the retry question
// and the small "Progress" dialog with its bar.  Window thread only.
class QtDownloadUi final : public DownloadUi {
 public:
  // `view` owns the file dialog and the message boxes.
  explicit QtDownloadUi(QWidget* view);
  ~QtDownloadUi() override;
  QtDownloadUi(const QtDownloadUi&) = delete;
  QtDownloadUi& operator=(const QtDownloadUi&) = delete;

  bool ChooseImageFile(char* path, std::size_t size) override;
  void ShowMessage(const char* text, const char* caption, DownloadBox box, BoxOwner owner) override;
  bool AskRetry(const char* text, const char* caption) override;
  void ShowProgress() override;
  void SetProgress(int percent) override;
  void HideProgress() override;
  void LetWindowsPaint() override;

  // The progress dialog and its bar while they are up, else nullptr.
  QDialog* ProgressDialog() const;
  QProgressBar* ProgressBar() const { return bar_; }

 private:
  QPointer<QWidget> view_;
  std::unique_ptr<QDialog> progress_;
  QProgressBar* bar_ = nullptr;
};

}  // namespace tessaro
