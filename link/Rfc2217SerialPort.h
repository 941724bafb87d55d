#pragma once

#include <cstdint>
#include <mutex>

#include "link/SocketSerialPort.h"
#include "link/TelnetCodec.h"

namespace tessaro {

// A serial line behind a device server that speaks telnet with the com-port
// option ("rfc2217://HOST:PORT").  The line settings are sent to the server
// and its answers read back: a rate, data size, parity or stop size the
// server refused or changed fails ApplyLineSettings (LastError() names it),
// a flow control or modem line it did not take is only noted (a line
// without those wires, like a local pseudo-terminal, tolerates it too).
class Rfc2217SerialPort final : public SocketSerialPort {
 public:
  bool ApplyLineSettings(const LineSettings& line) override;
  long Read(char* buffer, std::size_t size) override;
  long Write(const char* bytes, std::size_t count) override;
  void PurgeInput() override;

  // How long the server has to agree to the com-port option and to answer
  // the settings.
  static constexpr int kAnswerMs = 3000;

 protected:
  bool Greet(bool& refused) override;
  NetworkScheme Scheme() const override { return NetworkScheme::Rfc2217; }

 private:
  // Receives what is queued and feeds it through the codec; the data bytes
  // land in `buffer`.  -1 when the connection ended.  Holds codecLock_.
  long ReceiveLocked(char* buffer, std::size_t size);
  // Sends the codec's queued replies and requests.  Holds codecLock_.
  bool FlushLocked();
  enum class Awaited { Done, TimedOut, Lost };
  // Waits until `done` holds, the time is up or the connection ends;
  // received data is dropped.
  template <typename Done>
  Awaited AwaitLocked(Done done, int ms);
  bool CheckAnswers(const LineSettings& line, std::uint8_t parity, std::uint8_t stop);

  TelnetCodec codec_;
  std::mutex codecLock_;  // the codec: before sendLock_, never after
};

}  // namespace tessaro
