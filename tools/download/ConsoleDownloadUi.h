#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "download/DownloadUi.h"
#include "tools/common/Console.h"

namespace tessaro::cli {

// The download's dialogs on a console.  The image is the one named on the
// command line; messages go to standard error ("Downloaded completely." to
// standard output); the retry question is answered no, so that a script
// never waits for an answer.  The progress is a bar redrawn in place on a
// terminal (percent, bytes, rate, time left, within the terminal's width) and
// a plain line every tenth otherwise.  An interrupt taken by `pause` stops
// the download between packets.
class ConsoleDownloadUi final : public DownloadUi {
 public:
  ConsoleDownloadUi(std::string imagePath, long long imageBytes, const Console& console,
                    Pause& pause);

  bool ChooseImageFile(char* path, std::size_t size) override;
  void ShowMessage(const char* text, const char* caption, DownloadBox box, BoxOwner owner) override;
  bool AskRetry(const char* text, const char* caption) override;
  void ShowProgress() override;
  void SetProgress(int percent) override;
  void HideProgress() override;
  void LetWindowsPaint() override {}
  bool StopRequested() override;

  // The exit status the messages shown so far amount to (kDownloadOk when
  // none was a failure).
  int Status() const { return status_; }
  // The share of the file sent when the progress last moved; -1 before the
  // packets began.
  int Percent() const { return percent_; }

 private:
  void Draw(int percent);

  std::string imagePath_;
  long long imageBytes_;
  bool tty_;
  int columns_;
  std::FILE* out_;
  std::FILE* err_;
  Pause& pause_;
  bool stopped_ = false;
  int status_ = 0;
  int shown_ = -1;  // percent drawn last; -1: no bar up
  int percent_ = -1;
  std::chrono::steady_clock::time_point start_;
};

// "12.3 kB/s", "1:05": the pieces of the progress line.
std::string FormatRate(double bytesPerSecond);
std::string FormatDuration(double seconds);

// The progress line drawn in place, cut to fit `columns` without reaching
// the last one (where a terminal would wrap): the bar narrows first, then
// the time left, the rate and the byte counts are left out.
std::string ProgressLine(int percent, long long bytes, long long total, const std::string& rate,
                         const std::string& left, int columns);

}  // namespace tessaro::cli
