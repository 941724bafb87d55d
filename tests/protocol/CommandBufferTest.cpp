#include <gtest/gtest.h>

#include <string>

#include "protocol/CommandBuffer.h"
#include "protocol/TestPacketBuffer.h"
#include "support/Recorders.h"

namespace tessaro {
namespace {

std::string Sent(CommandBuffer& buffer, std::size_t length) {
  return {buffer.Data(), length};
}

TEST(CommandBuffer, BuildsPropertyQueriesAndSetsWithTwoDigitBase) {
  CommandBuffer b;
  EXPECT_EQ(Sent(b, b.BuildProperty("CH", 3, '0')), "@CH030\r");
  EXPECT_EQ(Sent(b, b.BuildProperty("GP", 7, '2')), "@GP072\r");
  EXPECT_EQ(Sent(b, b.BuildProperty("PW", 12, '5')), "@PW125\r");
  EXPECT_EQ(Sent(b, b.BuildProperty("ME", 16, '3')), "@ME163\r");
  // Zero-terminated right after the "\r", and nothing of it is sent.
  EXPECT_EQ(b.Data()[7], '\0');
}

TEST(CommandBuffer, BuildsTimeoutIdSpeedTerminalAndUpdateCommands) {
  CommandBuffer b;
  EXPECT_EQ(Sent(b, b.BuildTimeout(16, 0)), "@TO1600\r");
  EXPECT_EQ(Sent(b, b.BuildTimeout(2, 5)), "@TO0205\r");
  EXPECT_EQ(Sent(b, b.BuildChangeId(1, 5)), "@ID0105\r");
  EXPECT_EQ(Sent(b, b.BuildSpeed("9600")), "@SP9600\r");
  EXPECT_EQ(b.BuildSpeed("115200"), 10u);
  EXPECT_EQ(Sent(b, b.BuildTerminalQuery(3)), "@TM03\r");
  EXPECT_EQ(Sent(b, b.BuildUpdate(12)), "@UP12\r");
}

TEST(CommandBuffer, NeverWritesMoreThanTwoDigitsIntoANumberField) {
  CommandBuffer b;
  EXPECT_EQ(Sent(b, b.BuildChangeId(1, 123)), "@ID0199\r");
  EXPECT_EQ(Sent(b, b.BuildTimeout(1, -4)), "@TO0100\r");
}

TEST(CommandBuffer, SendWritesExactlyTheBuiltBytes) {
  CommandBuffer b;
  testing::RecordingPort port;
  b.SendProperty(port, "CH", 1, '4');
  b.SendTimeout(port, 1, 0);
  ASSERT_EQ(port.writes.size(), 2u);
  EXPECT_EQ(port.writes[0], "@CH014\r");
  EXPECT_EQ(port.writes[1], "@TO0100\r");
}

TEST(TestPacketBuffer, DefaultLengthPacketCarriesTenPayloadDigits) {
  TestPacketBuffer p;
  const std::size_t n = p.BuildPacket(4, 12, 15);
  EXPECT_EQ(std::string(p.Data(), n), "@DT0400120123456789\r");
}

TEST(TestPacketBuffer, ShortDataLengthsGiveTenCharacterPackets) {
  TestPacketBuffer p;
  for (int length : {0, 1, 5}) {
    EXPECT_EQ(std::string(p.Data(), p.BuildPacket(7, 1, length)), "@DT070001\r") << length;
  }
}

TEST(TestPacketBuffer, LongestPacketRepeatsThePayloadCycle) {
  TestPacketBuffer p;
  const std::size_t n = p.BuildPacket(99, 9999, 300);
  ASSERT_EQ(n, 305u);
  const std::string packet(p.Data(), n);
  const std::string cycle = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string payload;
  for (int i = 0; i < 8; ++i) payload += cycle;
  payload += "0123456";
  EXPECT_EQ(packet, "@DT999999" + payload + "\r");
  // Data lengths beyond the buffer are held to the longest packet.
  EXPECT_EQ(p.BuildPacket(1, 1, 100000), 305u);
}

TEST(TestPacketBuffer, ExpectedDataIsSequenceAndPayload) {
  TestPacketBuffer p;
  EXPECT_EQ(std::string(p.Data(), p.BuildExpectedData(2, 15)), "00020123456789");
  EXPECT_EQ(std::string(p.Data(), p.BuildExpectedData(9999, 3)), "9999");
}

}  // namespace
}  // namespace tessaro
