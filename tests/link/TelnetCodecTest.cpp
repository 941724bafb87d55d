// The telnet side of an RFC 2217 port against a table of server behaviours,
// each fed whole, cut at every point and byte by byte.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link/TelnetCodec.h"

namespace tessaro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using C = TelnetCodec;

constexpr std::uint8_t IAC = C::kIac, WILL = C::kWill, WONT = C::kWont, DO = C::kDo,
                       DONT = C::kDont, SB = C::kSb, SE = C::kSe, BIN = C::kBinary, SGA = C::kSga,
                       COM = C::kComPort;
constexpr std::uint8_t kTermType = 24;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Bytes kAgreeAll = {IAC, DO, BIN, IAC, WILL, BIN, IAC, DO, SGA, IAC, WILL, SGA, IAC, DO, COM};

struct Behaviour {
  const char* name;
  Bytes server;   // what the server sends after our opening requests
  Bytes data;     // the data bytes the port must deliver
  Bytes replies;  // what the client must send back (after its opening)
  bool comPortAgreed;
  bool comPortRefused;
  std::uint32_t baudAnswer;  // 0: no answer expected
};

const Behaviour kBehaviours[] = {
    {"agrees to everything, no reply owed", kAgreeAll, {}, {}, true, false, 0},
    {"refuses the com-port option", {IAC, DONT, COM, IAC, DO, BIN}, {}, {}, false, true, 0},
    {"offers an option we do not know, then repeats the offer",
     {IAC, WILL, kTermType, IAC, WILL, kTermType, IAC, DO, kTermType, IAC, WONT, kTermType},
     {},
     {IAC, DONT, kTermType, IAC, DONT, kTermType, IAC, WONT, kTermType},
     false,
     false,
     0},
    {"repeats its agreement (a loop starter): no reply to any repeat",
     Cat({kAgreeAll, kAgreeAll, kAgreeAll}),
     {},
     {},
     true,
     false,
     0},
    {"turns binary off after agreeing, then on again: one reply per change",
     Cat({kAgreeAll, {IAC, WONT, BIN, IAC, WONT, BIN, IAC, WILL, BIN}}),
     {},
     {IAC, DONT, BIN, IAC, DO, BIN},
     true,
     false,
     0},
    {"doubled 0xFF in data and a NOP between data bytes",
     Cat({kAgreeAll, {'a', IAC, IAC, 'b', IAC, 241, 'c', IAC, IAC}}),
     {'a', 0xFF, 'b', 'c', 0xFF},
     {},
     true,
     false,
     0},
    {"answers the rate with 0xFF bytes doubled inside the subnegotiation",
     Cat({kAgreeAll, {'x', IAC, SB, COM, 101, 0, 0, IAC, IAC, IAC, IAC, IAC, SE, 'y'}}),
     {'x', 'y'},
     {},
     true,
     false,
     0xFFFF},
    {"answers the rate between data bytes",
     Cat({kAgreeAll, {'@', IAC, SB, COM, 101, 0, 0, 0x25, 0x80, IAC, SE, 'O', 'K'}}),
     {'@', 'O', 'K'},
     {},
     true,
     false,
     9600},
    {"sends a modem-state notice and an unknown subnegotiation",
     Cat({kAgreeAll, {IAC, SB, COM, 107, 0x30, IAC, SE, IAC, SB, kTermType, 1, IAC, SE, 'z'}}),
     {'z'},
     {},
     true,
     false,
     0},
};

struct Outcome {
  Bytes data;
  Bytes replies;
};

Outcome Feed(C& codec, const Bytes& stream, const std::vector<std::size_t>& cuts) {
  Outcome out;
  std::size_t from = 0;
  auto take = [&](std::size_t to) {
    Bytes chunk(stream.begin() + static_cast<long>(from), stream.begin() + static_cast<long>(to));
    const std::size_t n = codec.Feed(chunk.data(), chunk.size(), chunk.data());
    out.data.insert(out.data.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
    out.replies.insert(out.replies.end(), codec.Pending(), codec.Pending() + codec.PendingSize());
    codec.ClearPending();
    from = to;
  };
  for (std::size_t cut : cuts) take(cut);
  take(stream.size());
  return out;
}

TEST(TelnetCodecTest, EachServerBehaviourGivesTheSameDataAndRepliesHoweverItIsCut) {
  for (const Behaviour& b : kBehaviours) {
    std::vector<std::vector<std::size_t>> cuttings = {{}};
    for (std::size_t at = 1; at < b.server.size(); ++at) cuttings.push_back({at});
    std::vector<std::size_t> everyByte;
    for (std::size_t at = 1; at < b.server.size(); ++at) everyByte.push_back(at);
    cuttings.push_back(everyByte);
    for (const auto& cuts : cuttings) {
      SCOPED_TRACE(std::string(b.name) + ", cut in " + std::to_string(cuts.size() + 1));
      C codec;
      codec.Start();
      codec.ClearPending();
      const Outcome out = Feed(codec, b.server, cuts);
      EXPECT_EQ(out.data, b.data);
      EXPECT_EQ(out.replies, b.replies);
      EXPECT_EQ(codec.ComPortAgreed(), b.comPortAgreed);
      EXPECT_EQ(codec.ComPortRefused(), b.comPortRefused);
      if (b.baudAnswer != 0) {
        EXPECT_TRUE(C::Answered(codec.LastAnswers(), C::kSetBaudRate));
        EXPECT_EQ(codec.LastAnswers().baudRate, b.baudAnswer);
      }
    }
  }
}

TEST(TelnetCodecTest, ClientBytesDoubleEveryIacInDataAndInSettingValues) {
  const Bytes data = {1, 0xFF, 2, 0xFF, 0xFF};
  std::uint8_t out[16];
  std::size_t used = 0;
  const std::size_t n = C::Escape(data.data(), data.size(), out, sizeof out, used);
  EXPECT_EQ(Bytes(out, out + n), (Bytes{1, 0xFF, 0xFF, 2, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(used, data.size());
  // A doubled byte is never split over two pieces.
  EXPECT_EQ(C::Escape(data.data(), data.size(), out, 2, used), 1u);
  EXPECT_EQ(used, 1u);

  C codec;
  ASSERT_TRUE(codec.QueueBaudRate(0x0001C2FF));
  EXPECT_EQ(Bytes(codec.Pending(), codec.Pending() + codec.PendingSize()),
            (Bytes{IAC, SB, COM, 1, 0x00, 0x01, 0xC2, 0xFF, 0xFF, IAC, SE}));
}

}  // namespace
}  // namespace tessaro
