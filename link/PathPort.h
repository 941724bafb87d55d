#pragma once

#include <atomic>
#include <string>

#include "link/SerialPort.h"

namespace tessaro {

// Opens a device path given on the command line whatever port name the
// session asks for: the port settings only know "COM1".."COM6".  With an
// empty path it opens the name asked for.  It remembers whether any open
// succeeded.
class PathPort final : public SerialPort {
 public:
  PathPort(SerialPort& port, std::string path) : port_(port), path_(std::move(path)) {}

  bool Open(const char* name) override {
    const bool ok = port_.Open(path_.empty() ? name : path_.c_str());
    if (ok) opened_.store(true);
    return ok;
  }
  bool EverOpened() const { return opened_.load(); }
  OpenFailure LastOpenFailure() const override { return port_.LastOpenFailure(); }
  bool ApplyLineSettings(const LineSettings& line) override {
    return port_.ApplyLineSettings(line);
  }
  void SetQueuesAndTimeouts(const PortTimeouts& timeouts) override {
    port_.SetQueuesAndTimeouts(timeouts);
  }
  WaitResult WaitReadable(int timeoutMs) override { return port_.WaitReadable(timeoutMs); }
  void Wake() override { port_.Wake(); }
  long Read(char* buffer, std::size_t size) override { return port_.Read(buffer, size); }
  long Write(const char* bytes, std::size_t count) override { return port_.Write(bytes, count); }
  void PurgeInput() override { port_.PurgeInput(); }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return port_.IsOpen(); }
  PortError LastError() const override { return port_.LastError(); }
  const char* LineNote() const override { return port_.LineNote(); }
  void Note(const char* line) override { port_.Note(line); }

 private:
  SerialPort& port_;
  std::string path_;
  std::atomic<bool> opened_{false};
};

}  // namespace tessaro
