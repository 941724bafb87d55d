#include "tools/download/ConsoleDownloadUi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "download/DownloadTexts.h"
#include "tools/download/Statuses.h"

namespace tessaro::cli {

namespace {

constexpr int kBarWidth = 30;

// The exit status a failure message stands for.
int StatusOf(const char* text) {
  using namespace download_text;
  const auto starts = [text](const char* with) {
    return std::strncmp(text, with, std::strlen(with)) == 0;
  };
  if (starts(kCannotOpenFile)) return kDownloadBadImage;
  if (starts(kCannotOpenPort) || starts(kSettingsRefused)) return kDownloadPort;
  if (starts(kNotReady)) return kDownloadNotReady;
  if (starts(kTimeOut) || starts(kLineGone)) return kDownloadTimeOut;
  if (starts(kInterrupted)) return kDownloadInterrupted;
  // A refused image names its line and fault after the first line.
  if (starts(kDownloadError) && std::strchr(text, '\n') != nullptr) return kDownloadBadImage;
  return kDownloadFault;
}

}  // namespace

std::string FormatRate(double bytesPerSecond) {
  char text[32];
  if (bytesPerSecond >= 1000.0) {
    std::snprintf(text, sizeof text, "%.1f kB/s", bytesPerSecond / 1000.0);
  } else {
    std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
  }
  return text;
}

std::string FormatDuration(double seconds) {
  const long s = seconds < 0 ? 0 : std::lround(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

std::string ProgressLine(int percent, long long bytes, long long total, const std::string& rate,
                         const std::string& left, int columns) {
  const int room = columns - 1;
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "  %lld/%lld bytes", bytes, total);
  const std::string tails[] = {numbers + ("  " + rate + "  " + left + " left"),
                               numbers + ("  " + rate), numbers, ""};
  char head[48];
  std::snprintf(head, sizeof head, "%s ", download_text::kProgressText);
  char share[8];
  std::snprintf(share, sizeof share, "%3d%%", percent);
  // "<head>[<bar>] <share><tail>": the widest bar that leaves room for the
  // most of the tail, and no bar below ten columns.
  for (const std::string& tail : tails) {
    const int fixed = static_cast<int>(std::strlen(head) + 3 + std::strlen(share) + tail.size());
    const int width = std::min(kBarWidth, room - fixed);
    if (width < 10) continue;
    const int filled = percent * width / 100;
    return head +
           ("[" + std::string(static_cast<std::size_t>(filled), '#') +
            std::string(static_cast<std::size_t>(width - filled), '.') + "] " + share + tail);
  }
  std::string bare = head + std::string(share);
  if (room > 0 && bare.size() > static_cast<std::size_t>(room)) bare.resize(room);
  return bare;
}

ConsoleDownloadUi::ConsoleDownloadUi(std::string imagePath, long long imageBytes,
                                     const Console& console, Pause& pause)
    : imagePath_(std::move(imagePath)),
      imageBytes_(imageBytes),
      tty_(console.tty),
      columns_(console.columns),
      out_(console.out),
      err_(console.err),
      pause_(pause) {}

bool ConsoleDownloadUi::StopRequested() {
  // The interrupt is taken once; the download asks again on its way out.
  if (!stopped_ && !pause_.Sleep(0)) stopped_ = true;
  return stopped_;
}

bool ConsoleDownloadUi::ChooseImageFile(char* path, std::size_t size) {
  if (imagePath_.size() + 1 > size) return false;
  std::memcpy(path, imagePath_.c_str(), imagePath_.size() + 1);
  return true;
}

void ConsoleDownloadUi::ShowMessage(const char* text, const char* caption, DownloadBox box,
                                    BoxOwner) {
  if (shown_ >= 0 && tty_) std::fputc('\n', out_);
  std::fflush(out_);
  if (box == DownloadBox::kPlain) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(
        out_, "%s\n%lld bytes in %.1f s (%s)\n", text, imageBytes_, seconds,
        FormatRate(seconds > 0.0 ? static_cast<double>(imageBytes_) / seconds : 0.0).c_str());
    std::fflush(out_);
    return;
  }
  // The time-out's caption is the last reply; say which.
  if (std::strcmp(text, download_text::kTimeOut) == 0) {
    std::fprintf(err_, "tessaro-download: %s (last reply: \"%s\")\n", text, caption);
  } else {
    std::fprintf(err_, "tessaro-download: %s\n", text);
  }
  std::fflush(err_);
  if (status_ == kDownloadOk) status_ = StatusOf(text);
}

bool ConsoleDownloadUi::AskRetry(const char*, const char*) {
  std::fprintf(err_,
               "tessaro-download: not retried; run the same command again to retry (a base "
               "left in update mode is found by its loader's handshake)\n");
  return false;
}

void ConsoleDownloadUi::ShowProgress() {
  start_ = std::chrono::steady_clock::now();
  shown_ = -1;
  percent_ = 0;
  Draw(0);
}

void ConsoleDownloadUi::SetProgress(int percent) {
  percent_ = percent;
  if (percent != shown_) Draw(percent);
}

void ConsoleDownloadUi::HideProgress() {
  if (shown_ >= 0 && tty_) std::fputc('\n', out_);
  std::fflush(out_);
  shown_ = -1;
}

void ConsoleDownloadUi::Draw(int percent) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  // Without a terminal one line every tenth is enough for a log.
  if (!tty_ && shown_ >= 0 && percent / 10 == shown_ / 10 && percent != 100) return;
  shown_ = percent;
  const long long bytes = imageBytes_ * percent / 100;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double rate = seconds > 0.0 ? static_cast<double>(bytes) / seconds : 0.0;
  const std::string left =
      rate > 0 ? FormatDuration(static_cast<double>(imageBytes_ - bytes) / rate) : "-:--";
  if (tty_) {
    std::fprintf(
        out_, "\r%s\x1b[K",
        ProgressLine(percent, bytes, imageBytes_, FormatRate(rate), left, columns_).c_str());
  } else {
    std::fprintf(out_, "%s %3d%%  %lld/%lld bytes  %s  %s left\n", download_text::kProgressText,
                 percent, bytes, imageBytes_, FormatRate(rate).c_str(), left.c_str());
  }
  std::fflush(out_);
}

}  // namespace tessaro::cli
