#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "download/DownloadUi.h"

namespace tessaro::cli {

// The download's dialogs on a console.  The image is the one named on the
// command line; messages go to standard error ("Downloaded completely." to
// standard output); the retry question is answered no, so that a script
// never waits for an answer.  The progress is a bar redrawn in place on a
// terminal (percent, bytes, rate, time left) and a plain line every tenth
// otherwise.
class ConsoleDownloadUi final : public DownloadUi {
 public:
  ConsoleDownloadUi(std::string imagePath, long long imageBytes, bool tty, std::FILE* out,
                    std::FILE* err);

  bool ChooseImageFile(char* path, std::size_t size) override;
  void ShowMessage(const char* text, const char* caption, DownloadBox box, BoxOwner owner) override;
  bool AskRetry(const char* text, const char* caption) override;
  void ShowProgress() override;
  void SetProgress(int percent) override;
  void HideProgress() override;
  void LetWindowsPaint() override {}

  // The exit status the messages shown so far amount to (kDownloadOk when
  // none was a failure).
  int Status() const { return status_; }

 private:
  void Draw(int percent);

  std::string imagePath_;
  long long imageBytes_;
  bool tty_;
  std::FILE* out_;
  std::FILE* err_;
  int status_ = 0;
  int shown_ = -1;  // percent drawn last; -1: no bar up
  std::chrono::steady_clock::time_point start_;
};

// "12.3 kB/s", "1:05": the pieces of the progress line.
std::string FormatRate(double bytesPerSecond);
std::string FormatDuration(double seconds);

}  // namespace tessaro::cli
