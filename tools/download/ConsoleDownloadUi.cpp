#include "tools/download/ConsoleDownloadUi.h"

#include <cmath>
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
  if (starts(kTimeOut)) return kDownloadTimeOut;
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

ConsoleDownloadUi::ConsoleDownloadUi(std::string imagePath, long long imageBytes, bool tty,
                                     std::FILE* out, std::FILE* err)
    : imagePath_(std::move(imagePath)), imageBytes_(imageBytes), tty_(tty), out_(out), err_(err) {}

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
  std::fprintf(err_, "tessaro-download: not retried; run it again to retry\n");
  return false;
}

void ConsoleDownloadUi::ShowProgress() {
  start_ = std::chrono::steady_clock::now();
  shown_ = -1;
  Draw(0);
}

void ConsoleDownloadUi::SetProgress(int percent) {
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
    char bar[kBarWidth + 1];
    const int filled = percent * kBarWidth / 100;
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    std::fprintf(out_, "\r%s [%s] %3d%%  %lld/%lld bytes  %s  %s left\x1b[K",
                 download_text::kProgressText, bar, percent, bytes, imageBytes_,
                 FormatRate(rate).c_str(), left.c_str());
  } else {
    std::fprintf(out_, "%s %3d%%  %lld/%lld bytes  %s  %s left\n", download_text::kProgressText,
                 percent, bytes, imageBytes_, FormatRate(rate).c_str(), left.c_str());
  }
  std::fflush(out_);
}

}  // namespace tessaro::cli
