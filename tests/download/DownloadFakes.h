#pragma once

// Stand-ins for the download's unit tests: a serial port whose far end is a
// script on a manual clock, an operator who answers from a list, and
// temporary image files.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "download/DownloadUi.h"
#include "link/SerialPort.h"
#include "support/Recorders.h"

namespace tessaro::testing {

// Every write is recorded and handed to `responder`, which queues the far
// end's answer with Deliver().  A chunk becomes readable at its time on the
// clock; a wait with nothing due moves the clock to the next chunk or by the
// whole wait.
class ScriptedPort : public SerialPort {
 public:
  explicit ScriptedPort(ManualClock& clock) : clock_(clock) {}

  std::function<void(const std::string& written)> responder;

  // `bytes` become readable `afterMs` from now, after anything queued before.
  void Deliver(const std::string& bytes, std::uint32_t afterMs = 0) {
    std::uint32_t due = clock_.now + afterMs;
    if (!chunks_.empty() && ElapsedMs(chunks_.back().due, due) > 0) due = chunks_.back().due;
    chunks_.push_back({bytes, due});
  }

  bool Open(const char* name) override {
    events.push_back(std::string("open ") + name);
    if (refuseOpen) return false;
    open_ = true;
    return true;
  }
  bool ApplyLineSettings(const LineSettings& line) override {
    events.push_back("line settings");
    lastLine = line;
    return !refuseSettings;
  }
  void SetQueuesAndTimeouts(const PortTimeouts& timeouts) override { lastTimeouts = timeouts; }
  WaitResult WaitReadable(int timeoutMs) override {
    ++waits;
    if (hungUp) return WaitResult::HungUp;
    if (Available() > 0) return WaitResult::Readable;
    if (!chunks_.empty() && ElapsedMs(chunks_.front().due, clock_.now) <= timeoutMs) {
      clock_.now = chunks_.front().due;
      return WaitResult::Readable;
    }
    clock_.Advance(static_cast<std::uint32_t>(timeoutMs));
    return WaitResult::TimedOut;
  }
  void Wake() override {}
  long Read(char* buffer, std::size_t size) override {
    if (!open_) return -1;
    std::size_t n = 0;
    while (n < size && !chunks_.empty() && ElapsedMs(clock_.now, chunks_.front().due) >= 0) {
      auto& chunk = chunks_.front();
      const std::size_t take = std::min(size - n, chunk.bytes.size());
      std::memcpy(buffer + n, chunk.bytes.data(), take);
      chunk.bytes.erase(0, take);
      n += take;
      if (chunk.bytes.empty()) chunks_.pop_front();
    }
    if (n > 0) reads.emplace_back(buffer, n);
    return static_cast<long>(n);
  }
  long Write(const char* bytes, std::size_t count) override {
    if (!open_) return -1;
    writes.emplace_back(bytes, count);
    if (responder) responder(writes.back());
    return static_cast<long>(count);
  }
  void PurgeInput() override {
    events.push_back("purge");
    chunks_.clear();
  }
  void Close() override {
    events.push_back("close");
    open_ = false;
  }
  bool IsOpen() const override { return open_; }

  // Everything written, as one string.
  std::string Written() const {
    std::string all;
    for (const auto& w : writes) all += w;
    return all;
  }

  bool refuseOpen = false;
  bool refuseSettings = false;
  bool hungUp = false;
  LineSettings lastLine{};
  PortTimeouts lastTimeouts{};
  std::vector<std::string> writes;
  std::vector<std::string> reads;
  std::vector<std::string> events;
  int waits = 0;

 private:
  struct Chunk {
    std::string bytes;
    std::uint32_t due;
  };
  std::size_t Available() const {
    std::size_t n = 0;
    for (const auto& c : chunks_) {
      if (ElapsedMs(clock_.now, c.due) < 0) break;
      n += c.bytes.size();
    }
    return n;
  }

  ManualClock& clock_;
  std::deque<Chunk> chunks_;
  bool open_ = false;
};

// The operator: picks `imagePath` (or cancels when it is empty), answers the
// retry question from `retryAnswers` (No when they run out) and records
// every box and progress step in `events`.
class ScriptedUi : public DownloadUi {
 public:
  bool ChooseImageFile(char* path, std::size_t size) override {
    offeredPaths.emplace_back(path);
    events.push_back("choose");
    if (imagePath.empty() || imagePath.size() >= size) return false;
    std::memcpy(path, imagePath.c_str(), imagePath.size() + 1);
    if (onChoose) onChoose();
    return true;
  }
  void ShowMessage(const char* text, const char* caption, DownloadBox box,
                   BoxOwner owner) override {
    messages.push_back(std::string(caption) + ": " + text);
    boxes.push_back(box);
    owners.push_back(owner);
    events.push_back("message");
  }
  bool AskRetry(const char* text, const char* caption) override {
    events.push_back(std::string("ask ") + caption + ": " + text);
    if (retryAnswers.empty()) return false;
    const bool yes = retryAnswers.front();
    retryAnswers.pop_front();
    if (yes && onRetry) onRetry();
    return yes;
  }
  void ShowProgress() override { events.push_back("show progress"); }
  void SetProgress(int percent) override {
    progress.push_back(percent);
    events.push_back("progress " + std::to_string(percent));
  }
  void HideProgress() override { events.push_back("hide progress"); }
  void LetWindowsPaint() override { ++paints; }
  bool StopRequested() override { return stop; }

  std::string imagePath;
  bool stop = false;
  std::deque<bool> retryAnswers;
  std::function<void()> onChoose;
  std::function<void()> onRetry;
  std::vector<std::string> offeredPaths;
  std::vector<std::string> messages;
  std::vector<DownloadBox> boxes;
  std::vector<BoxOwner> owners;
  std::vector<int> progress;
  std::vector<std::string> events;
  int paints = 0;
};

// A private directory for image files, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::random_device seed;
    // create_directory is false for a name that exists: try another.
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path dir = base / ("tessaro-dl-" + std::to_string(seed()));
      if (std::filesystem::create_directory(dir, error)) path_ = dir.generic_string();
    }
  }
  ~TempDir() {
    std::error_code error;
    for (const auto& f : files_) std::filesystem::remove(f, error);
    if (!path_.empty()) std::filesystem::remove(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes `content` to a file of that name; returns its path.
  std::string Write(const std::string& name, const std::string& content) {
    std::string file = path_ + "/" + name;
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
      std::fwrite(content.data(), 1, content.size(), f);
      std::fclose(f);
    }
    files_.push_back(file);
    return file;
  }
  // Marks a file made by someone else for removal.
  std::string Name(const std::string& name) {
    files_.push_back(path_ + "/" + name);
    return files_.back();
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

}  // namespace tessaro::testing
