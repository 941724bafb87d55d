#include "download/LineExchange.h"

#include <gtest/gtest.h>

#include <string>

#include "DownloadFakes.h"
#include "SRecordText.h"

namespace tessaro {
namespace {

using testing::ManualClock;
using testing::ScriptedPort;
using testing::ScriptedUi;

class LineExchangeTest : public ::testing::Test {
 protected:
  LineExchangeTest() : port(clock), line(port, clock, ui, DownloadTiming{}) { port.Open("COM1"); }

  std::string Reply() const { return std::string(line.Reply().text, line.Reply().length); }

  // The packet with the data bytes 01 02 03 04 at 00001000.
  int FillExamplePacket() {
    int length = line.Packet().Open(0x1000);
    for (std::uint8_t b = 1; b <= 4; ++b) line.Packet().bytes[length++] = b;
    return length;
  }

  ManualClock clock{1000};
  ScriptedPort port;
  ScriptedUi ui;
  LineExchange line;
};

// ---- AwaitReplyLine ----

TEST_F(LineExchangeTest, ReplyInTwoReadsEndsAtTheCr) {
  port.Deliver("F");
  port.Deliver("A\r", 30);
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "FA");
  EXPECT_TRUE(line.Reply().Is("FA"));
  EXPECT_EQ(clock.now, 1030u);  // ended by the CR, not by the deadline
}

TEST_F(LineExchangeTest, BytesAfterTheCrInOneReadKeepWaitingToTheDeadline) {
  port.Deliver("F");
  port.Deliver("A\rX", 10);
  line.AwaitReplyLine(2000);
  // Everything received except the last byte.
  EXPECT_EQ(Reply(), "FA\r");
  EXPECT_FALSE(line.Reply().Is("FA"));
  EXPECT_GT(ElapsedMs(clock.now, 1000), 2000);
}

TEST_F(LineExchangeTest, BytesAfterTheCrWaitForALaterReadEndingInCr) {
  port.Deliver("F");
  port.Deliver("A\rX", 10);
  port.Deliver("Y\r", 500);
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "FA\rXY");
  EXPECT_EQ(clock.now, 1500u);
}

TEST_F(LineExchangeTest, ReadsTakeAtMostThreeBytes) {
  port.Deliver("ACK1\r");
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "ACK1");
  ASSERT_EQ(port.reads.size(), 2u);
  EXPECT_EQ(port.reads[0], "ACK");
  EXPECT_EQ(port.reads[1], "1\r");
}

TEST_F(LineExchangeTest, SilenceGivesAnEmptyLineAtTheDeadlineWithoutSpinning) {
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "");
  EXPECT_GT(ElapsedMs(clock.now, 1000), 2000);
  EXPECT_LE(port.waits, 3);
}

TEST_F(LineExchangeTest, DeadlineHoldsAcrossTheTickCountWrap) {
  clock.now = 0xFFFFFF00u;
  port.Deliver("FN\r", 1500);
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "FN");
  EXPECT_EQ(clock.now, 0xFFFFFF00u + 1500u);
}

TEST_F(LineExchangeTest, AStreamWithoutCrEndsAtTheDeadline) {
  for (int i = 0; i < 400; ++i) port.Deliver("x", 10);
  line.AwaitReplyLine(2000);
  EXPECT_GT(ElapsedMs(clock.now, 1000), 2000);
  EXPECT_LT(ElapsedMs(clock.now, 1000), 2100);
  EXPECT_EQ(Reply(), std::string(15, 'x'));
}

TEST_F(LineExchangeTest, ALongLineStaysWithinTheBufferAndMatchesNothing) {
  port.Deliver("ABCDEFGHIJKLMNOPQRSTFA\r");
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "ABCDEFGHIJKLMNO");
  EXPECT_EQ(line.Reply().text[ReplyLine::kSize - 1], '\0');
  EXPECT_FALSE(line.Reply().Is("FA"));
}

TEST_F(LineExchangeTest, ALineOfSixteenBytesKeepsFifteen) {
  port.Deliver("0123456789ABCDE\r");
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "0123456789ABCDE");
}

TEST_F(LineExchangeTest, ANulInsideAReplyIsNotTheReplyBeforeIt) {
  port.Deliver(std::string("FA\0\r", 4));
  line.AwaitReplyLine(2000);
  EXPECT_EQ(line.Reply().length, 3u);
  EXPECT_FALSE(line.Reply().Is("FA"));
}

TEST_F(LineExchangeTest, AHungUpLineEndsTheWaitAtOnceWithWhatCame) {
  port.Deliver("F");
  port.hungUp = true;
  line.AwaitReplyLine(2000);
  EXPECT_EQ(Reply(), "");  // "F" was the last byte received
  EXPECT_EQ(clock.now, 1000u);
}

// ---- SendPacket ----

TEST_F(LineExchangeTest, PacketGetsLengthChecksumAndCr) {
  port.responder = [&](const std::string&) { port.Deliver("FA\r"); };
  const int length = FillExamplePacket();
  EXPECT_EQ(length, 11);
  EXPECT_EQ(line.SendPacket(length), 1);
  ASSERT_EQ(port.writes.size(), 1u);
  EXPECT_EQ(testing::Hex(port.writes[0]), "5333090000100001020304DC0D");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LineExchangeTest, FnSendsTheSamePacketAgain) {
  int sends = 0;
  port.responder = [&](const std::string&) { port.Deliver(++sends < 3 ? "FN\r" : "FA\r"); };
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 1);
  ASSERT_EQ(port.writes.size(), 3u);
  EXPECT_EQ(port.writes[2], port.writes[0]);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LineExchangeTest, FnThreeTimesIsATimeOutCaptionedFn) {
  port.responder = [&](const std::string&) { port.Deliver("FN\r"); };
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 0);
  EXPECT_EQ(port.writes.size(), 3u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "FN: Error : Time out !!");
  EXPECT_EQ(ui.boxes[0], DownloadBox::kWarning);
  EXPECT_EQ(ui.owners[0], BoxOwner::kView);
}

TEST_F(LineExchangeTest, FfIsAFaultAfterOneSend) {
  port.responder = [&](const std::string&) { port.Deliver("FF\r"); };
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 0);
  EXPECT_EQ(port.writes.size(), 1u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Program Download: Fault on downloading!");
}

TEST_F(LineExchangeTest, AnUnknownLineIsFollowedByOneMoreExaminedLine) {
  port.responder = [&](const std::string&) {
    port.Deliver("ACK1\r");
    port.Deliver("FA\r", 5);
  };
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 1);
  EXPECT_EQ(port.writes.size(), 1u);
}

TEST_F(LineExchangeTest, FfAsTheSecondLineIsStillAFault) {
  port.responder = [&](const std::string&) {
    port.Deliver("??\r");
    port.Deliver("FF\r", 5);
  };
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 0);
  EXPECT_EQ(ui.messages.at(0), "Program Download: Fault on downloading!");
}

TEST_F(LineExchangeTest, AThirdLineIsAwaitedButNotExamined) {
  int sends = 0;
  port.responder = [&](const std::string&) {
    if (++sends == 1) {
      port.Deliver("XX\r");
      port.Deliver("YY\r", 5);
      port.Deliver("FA\r", 5);  // does not count
    } else {
      port.Deliver("FA\r");
    }
  };
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 1);
  EXPECT_EQ(port.writes.size(), 2u);
}

TEST_F(LineExchangeTest, SilenceTakesThreeSendsOfThreeWaitsAndAnEmptyCaption) {
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 0);
  EXPECT_EQ(port.writes.size(), 3u);
  EXPECT_GE(ElapsedMs(clock.now, 1000), 18000);
  EXPECT_LT(ElapsedMs(clock.now, 1000), 18100);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], ": Error : Time out !!");
}

TEST_F(LineExchangeTest, TheTimeOutCaptionIsTheLastLineReceived) {
  port.responder = [&](const std::string&) {
    port.Deliver("XX\r");
    port.Deliver("YY\r", 5);
    port.Deliver("ZZ\r", 5);
  };
  EXPECT_EQ(line.SendPacket(FillExamplePacket()), 0);
  EXPECT_EQ(port.writes.size(), 3u);
  EXPECT_EQ(ui.messages.at(0), "ZZ: Error : Time out !!");
}

TEST_F(LineExchangeTest, EndPacketIsNineFixedBytesAndItsReplyIsNotExamined) {
  port.responder = [&](const std::string&) { port.Deliver("FF\r"); };
  line.SendEndPacket();
  ASSERT_EQ(port.writes.size(), 1u);
  EXPECT_EQ(port.writes[0], testing::EndPacket());
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tessaro
