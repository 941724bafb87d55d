#pragma once

#include "link/SerialPort.h"

namespace tessaro {

// A serial port with no device behind it: it never opens.  For front ends
// that replay recorded input instead of talking to a base.
class NullSerialPort final : public SerialPort {
 public:
  bool Open(const char*) override { return false; }
  bool ApplyLineSettings(const LineSettings&) override { return false; }
  void SetQueuesAndTimeouts(const PortTimeouts&) override {}
  WaitResult WaitReadable(int) override { return WaitResult::Failed; }
  void Wake() override {}
  long Read(char*, std::size_t) override { return -1; }
  long Write(const char*, std::size_t) override { return -1; }
  void PurgeInput() override {}
  void Close() override {}
  bool IsOpen() const override { return false; }
};

}  // namespace tessaro
