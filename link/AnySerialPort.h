#pragma once

#include <atomic>
#include <memory>

#include "link/SerialPort.h"

namespace tessaro {

// Chooses the transport at each Open by the name: a network port name
// (directly or through TESSARO_COMn) opens the matching network port, any
// other name the local device.  Every other call goes to the transport of
// the last Open, with that transport's thread rules.
class AnySerialPort final : public SerialPort {
 public:
  AnySerialPort();
  ~AnySerialPort() override;
  AnySerialPort(const AnySerialPort&) = delete;
  AnySerialPort& operator=(const AnySerialPort&) = delete;

  bool Open(const char* name) override;
  OpenFailure LastOpenFailure() const override { return Active().LastOpenFailure(); }
  bool ApplyLineSettings(const LineSettings& line) override {
    return Active().ApplyLineSettings(line);
  }
  void SetQueuesAndTimeouts(const PortTimeouts& t) override { Active().SetQueuesAndTimeouts(t); }
  WaitResult WaitReadable(int timeoutMs) override { return Active().WaitReadable(timeoutMs); }
  void Wake() override { Active().Wake(); }
  long Read(char* buffer, std::size_t size) override { return Active().Read(buffer, size); }
  long Write(const char* bytes, std::size_t count) override { return Active().Write(bytes, count); }
  void PurgeInput() override { Active().PurgeInput(); }
  void Close() override { Active().Close(); }
  bool IsOpen() const override { return Active().IsOpen(); }
  PortError LastError() const override { return Active().LastError(); }
  const char* LineNote() const override { return Active().LineNote(); }

 private:
  SerialPort& Active() const { return *active_.load(std::memory_order_acquire); }

  std::unique_ptr<SerialPort> local_;
  std::unique_ptr<SerialPort> rfc2217_;
  std::unique_ptr<SerialPort> rawTcp_;
  // Changed by Open only, which no other call overlaps; Wake may read it from
  // any thread.
  std::atomic<SerialPort*> active_{nullptr};
};

}  // namespace tessaro
