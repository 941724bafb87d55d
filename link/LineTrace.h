#pragma once

// Line traces: every byte in and out of a serial port with a timestamp, and
// every open, close, setting and hang-up, as text (docs/traces.md).

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "link/SerialPort.h"

namespace tessaro {

// Escapes bytes for a trace or a listing: CR as \r, LF as \n, the backslash
// as \\, other control bytes and bytes from 0x7F as \xNN; everything else
// as it is.
std::string EscapeLineBytes(const char* bytes, std::size_t count);
// The reverse; false when `text` holds a broken escape.
bool UnescapeLineBytes(const std::string& text, std::string& bytes);

// A serial port that records everything done on it into a trace file and
// passes it on to the port it wraps.  Safe for the reader thread and the
// front-end thread at once (each record line is written whole).  It takes
// the file and closes it when destroyed.
class TracingPort final : public SerialPort {
 public:
  TracingPort(SerialPort& port, std::FILE* file);
  ~TracingPort() override;
  TracingPort(const TracingPort&) = delete;
  TracingPort& operator=(const TracingPort&) = delete;

  // Opens FILE for writing and writes its header, naming `program` and its
  // arguments; nullptr with errno set when it cannot be written (the header
  // is flushed at once, so that a full disk shows here).
  static std::FILE* OpenTraceFile(const char* path, int argc, const char* const* argv);

  bool Open(const char* name) override;
  OpenFailure LastOpenFailure() const override { return port_.LastOpenFailure(); }
  bool ApplyLineSettings(const LineSettings& line) override;
  void SetQueuesAndTimeouts(const PortTimeouts& timeouts) override;
  WaitResult WaitReadable(int timeoutMs) override;
  void Wake() override { port_.Wake(); }
  long Read(char* buffer, std::size_t size) override;
  long Write(const char* bytes, std::size_t count) override;
  void PurgeInput() override;
  void Close() override;
  bool IsOpen() const override { return port_.IsOpen(); }
  PortError LastError() const override { return port_.LastError(); }
  const char* LineNote() const override { return port_.LineNote(); }
  void Note(const char* line) override { Record(line, ""); }

  // Flushes what is recorded; false when any of the trace could not be
  // written (the disk filled up).  Any thread.
  bool WrittenInFull();

 private:
  void Record(const char* event, const std::string& rest);

  SerialPort& port_;
  std::FILE* file_;
  std::mutex lock_;
  std::chrono::steady_clock::time_point start_;
  std::atomic<bool> hungUp_{false};  // one "hangup" per open
  bool noted_ = false;               // one "note" per open
  // A run of failed opens (a reconnect waiting for the device) is recorded
  // at its first attempt only.  Under lock_.
  bool openFailing_ = false;
};

// One line of a trace.
struct TraceEvent {
  double ms = 0;  // since the trace started
  // "open", "close", "line", "note", "queues", "purge", "hangup", "<", ">", "test"...
  std::string kind;
  std::string text;   // the rest of the line, as written
  std::string bytes;  // for "<" and ">": the bytes, unescaped
  int lineNumber = 0;
};

// Reads a trace one event at a time, keeping nothing but the current line.
class TraceReader {
 public:
  explicit TraceReader(std::FILE* file) : file_(file) {}
  // The next event; false at the end, or with `error` naming the line that
  // is not one or saying the file cannot be read.
  bool Next(TraceEvent& event, std::string& error);
  // Lines read so far, comments included.
  int Lines() const { return number_; }

 private:
  std::FILE* file_;
  std::string line_;
  int number_ = 0;
};

// Reads a whole trace; false with `error` naming the line that is not one.
bool ReadTrace(std::FILE* file, std::vector<TraceEvent>& events, std::string& error);

}  // namespace tessaro
