#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaro {

// The client side of a telnet connection to a serial device server (RFC 854
// with the com-port option of RFC 2217), as a small object with no I/O: it is
// fed received chunks of any size, hands back the data bytes among them, and
// collects the bytes to send (replies to the server's negotiation and our own
// requests) in a fixed buffer the owner sends and clears.  Nothing is
// allocated.
//
// Options are negotiated with the four states of RFC 1143 per side: a
// request is sent only when the state changes, so a server that repeats or
// contradicts itself cannot start a loop.  This client never asks to turn an
// option off, so the "opposite" queue of that method stays empty and is left
// out.  BINARY and SUPPRESS-GO-AHEAD are wanted both ways, COM-PORT-OPTION
// on our side; everything else is refused.
//
// One thread at a time.
class TelnetCodec {
 public:
  static constexpr std::uint8_t kIac = 255;
  static constexpr std::uint8_t kDont = 254;
  static constexpr std::uint8_t kDo = 253;
  static constexpr std::uint8_t kWont = 252;
  static constexpr std::uint8_t kWill = 251;
  static constexpr std::uint8_t kSb = 250;
  static constexpr std::uint8_t kSe = 240;
  static constexpr std::uint8_t kBinary = 0;
  static constexpr std::uint8_t kSga = 3;
  static constexpr std::uint8_t kComPort = 44;

  // Com-port commands (client to server; the server answers with +100).
  static constexpr std::uint8_t kSetBaudRate = 1;
  static constexpr std::uint8_t kSetDataSize = 2;
  static constexpr std::uint8_t kSetParity = 3;
  static constexpr std::uint8_t kSetStopSize = 4;
  static constexpr std::uint8_t kSetControl = 5;
  static constexpr std::uint8_t kPurgeData = 12;
  static constexpr std::uint8_t kServerOffset = 100;

  enum class State : std::uint8_t { No, Yes, WantNo, WantYes };

  // The last value the server answered for each setting, and whether it
  // answered since ForgetAnswers().
  struct Answers {
    std::uint32_t baudRate = 0;
    std::uint8_t dataSize = 0;
    std::uint8_t parity = 0;
    std::uint8_t stopSize = 0;
    std::uint8_t control = 0;  // the last SET-CONTROL answer
    std::uint16_t seen = 0;    // bit n: an answer to command n came
  };

  TelnetCodec() { Reset(); }

  // Back to the start of a connection.
  void Reset();

  // Queues our opening requests: WILL and DO BINARY, WILL and DO SGA, WILL
  // COM-PORT-OPTION.
  void Start();

  // Takes `count` received bytes, writes the data bytes among them to `out`
  // (which may be `in`: the data is never longer) and returns how many.
  // Negotiation replies are queued for sending.
  std::size_t Feed(const std::uint8_t* in, std::size_t count, std::uint8_t* out);

  // Queues a com-port command with its value bytes (IAC doubled).  false
  // when the send buffer has no room (nothing is queued then).
  bool QueueComPort(std::uint8_t command, const std::uint8_t* value, std::size_t size);
  bool QueueComPort(std::uint8_t command, std::uint8_t value) {
    return QueueComPort(command, &value, 1);
  }
  bool QueueBaudRate(std::uint32_t rate);

  // Data to send, with every 0xFF doubled, written into `out` of `room`
  // bytes.  Stops at a whole byte; `used` is how many of `bytes` went in.
  static std::size_t Escape(const std::uint8_t* bytes, std::size_t count, std::uint8_t* out,
                            std::size_t room, std::size_t& used);

  const std::uint8_t* Pending() const { return pending_; }
  std::size_t PendingSize() const { return pendingSize_; }
  void ClearPending() { pendingSize_ = 0; }

  State Us(std::uint8_t option) const;
  State Him(std::uint8_t option) const;
  // The server agreed to the com-port option (so settings can be sent).
  bool ComPortAgreed() const { return Us(kComPort) == State::Yes; }
  // The server refused the com-port option.
  bool ComPortRefused() const { return Us(kComPort) == State::No && comPortAsked_; }

  const Answers& LastAnswers() const { return answers_; }
  void ForgetAnswers() { answers_ = Answers{}; }
  static bool Answered(const Answers& a, std::uint8_t command) {
    return (a.seen & (1u << command)) != 0;
  }

 private:
  enum class Parse : std::uint8_t { Data, Iac, Verb, Sub, SubIac };

  void OnVerb(std::uint8_t verb, std::uint8_t option);
  void OnSubnegotiation();
  void Ask(std::uint8_t verb, std::uint8_t option);
  void Put(std::uint8_t byte);
  static bool Wanted(std::uint8_t option, bool ours);
  static int Slot(std::uint8_t option);

  static constexpr std::size_t kPendingSize = 512;
  static constexpr std::size_t kSubSize = 64;
  static constexpr int kSlots = 3;

  Parse parse_ = Parse::Data;
  std::uint8_t verb_ = 0;
  State us_[kSlots] = {};
  State him_[kSlots] = {};
  bool comPortAsked_ = false;
  std::uint8_t sub_[kSubSize] = {};
  std::size_t subSize_ = 0;
  bool subOverflow_ = false;
  std::uint8_t pending_[kPendingSize] = {};
  std::size_t pendingSize_ = 0;
  Answers answers_{};
};

}  // namespace tessaro
