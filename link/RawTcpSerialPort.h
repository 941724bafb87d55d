#pragma once

#include "link/SocketSerialPort.h"

namespace tessaro {

// A serial line behind a raw TCP socket ("tcp://HOST:PORT"): the bytes go
// as they are, and the line settings stay whatever the server has; applying
// them succeeds with a note that says so.
class RawTcpSerialPort final : public SocketSerialPort {
 public:
  bool ApplyLineSettings(const LineSettings& line) override;
  long Read(char* buffer, std::size_t size) override;
  long Write(const char* bytes, std::size_t count) override;
  void PurgeInput() override;

  static constexpr const char* kNoSettingsNote =
      "line settings cannot be set on a raw TCP port: the server's own settings apply";

 protected:
  bool Greet(bool& refused) override;
  NetworkScheme Scheme() const override { return NetworkScheme::RawTcp; }
};

}  // namespace tessaro
