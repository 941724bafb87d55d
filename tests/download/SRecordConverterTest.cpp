#include "download/SRecordConverter.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "DownloadFakes.h"
#include "ReferenceConverter.h"
#include "SRecordText.h"

namespace tessaro {
namespace {

using testing::Bytes;
using testing::ManualClock;
using testing::Packet;
using testing::Record;
using testing::RecordOptions;
using testing::ScriptedPort;
using testing::ScriptedUi;
using testing::Sequence;

class SRecordConverterTest : public ::testing::Test {
 protected:
  SRecordConverterTest() : port(clock), line(port, clock, ui, DownloadTiming{}) {
    port.Open("COM1");
    port.responder = [this](const std::string& w) {
      const bool end = w.size() >= 2 && w[1] == '7';
      ui.events.push_back(end ? "end" : "packet " + testing::Hex(w));
      port.Deliver(reply);
    };
  }

  // Converts `text` and returns the result; the events are in Log().
  int Convert(const std::string& text) {
    const std::string path = dir.Write("image.abo", text);
    ImageFile image;
    EXPECT_TRUE(image.Open(path.c_str()));
    SRecordConverter converter(line, ui);
    return converter.ConvertAndSendImage(image);
  }

  std::vector<std::string> Log() const {
    std::vector<std::string> log;
    for (const auto& e : ui.events) {
      if (e.rfind("packet", 0) == 0 || e == "end" || e.rfind("progress", 0) == 0) log.push_back(e);
    }
    return log;
  }

  // The data packets as they went on the line.
  std::vector<std::string> Packets() const {
    std::vector<std::string> packets;
    for (const auto& w : port.writes) {
      if (w.size() > 1 && w[1] == '3') packets.push_back(w);
    }
    return packets;
  }

  // What a base would hold after these packets: address -> byte.
  std::map<std::uint32_t, std::uint8_t> Image() const {
    std::map<std::uint32_t, std::uint8_t> image;
    for (const auto& p : Packets()) {
      std::uint32_t address = 0;
      for (int i = 3; i < 7; ++i) address = address * 256 + static_cast<std::uint8_t>(p[i]);
      for (std::size_t i = 7; i + 2 < p.size(); ++i) {
        image[address++] = static_cast<std::uint8_t>(p[i]);
      }
    }
    return image;
  }

  ManualClock clock{0};
  ScriptedPort port;
  ScriptedUi ui;
  LineExchange line;
  testing::TempDir dir;
  std::string reply = "FA\r";
};

std::string Contiguous(char type, std::uint32_t address, int records, int perRecord,
                       const RecordOptions& options = {}) {
  std::string text;
  for (int r = 0; r < records; ++r) {
    text += Record(type, address, Sequence(perRecord, static_cast<std::uint8_t>(r * perRecord)),
                   options);
    address += static_cast<std::uint32_t>(perRecord);
  }
  return text;
}

// ---- the packets of tidy files ----

TEST_F(SRecordConverterTest, SixteenByteRecordsMakePacketsOfNinetySixDataBytes) {
  const std::string text = Contiguous('3', 0x1000, 20, 16) + Record('7', 0, {});
  EXPECT_EQ(Convert(text), 1);
  const Bytes all = Sequence(320);
  ASSERT_EQ(Packets().size(), 4u);
  EXPECT_EQ(Packets()[0], Packet(0x1000, Bytes(all.begin(), all.begin() + 96)));
  EXPECT_EQ(Packets()[0].size(), 105u);
  EXPECT_EQ(Packets()[1], Packet(0x1060, Bytes(all.begin() + 96, all.begin() + 192)));
  EXPECT_EQ(Packets()[3], Packet(0x1120, Bytes(all.begin() + 288, all.end())));
  EXPECT_EQ(port.writes.back(), testing::EndPacket());
}

TEST_F(SRecordConverterTest, ThirtyTwoByteRecordsGoThreeToAPacket) {
  EXPECT_EQ(Convert(Contiguous('3', 0, 3, 32) + Record('7', 0, {})), 1);
  ASSERT_EQ(Packets().size(), 1u);
  EXPECT_EQ(Packets()[0], Packet(0, Sequence(96)));
}

TEST_F(SRecordConverterTest, ARecordThatDoesNotRunOnClosesEvenAShortPacket) {
  const std::string text = Record('3', 0x2000, Sequence(4)) + Record('3', 0x3000, Sequence(4, 9)) +
                           Record('3', 0x3004, Sequence(2, 20)) + Record('9', 0, {});
  EXPECT_EQ(Convert(text), 1);
  ASSERT_EQ(Packets().size(), 2u);
  EXPECT_EQ(Packets()[0], Packet(0x2000, Sequence(4)));
  EXPECT_EQ(Packets()[1], Packet(0x3000, Bytes{9, 10, 11, 12, 20, 21}));
}

TEST_F(SRecordConverterTest, TwentyFourBitAddressGetsAZeroByteInFront) {
  EXPECT_EQ(Convert(Record('2', 0x012340, Sequence(3)) + Record('8', 0, {})), 1);
  ASSERT_EQ(Packets().size(), 1u);
  EXPECT_EQ(testing::Hex(Packets()[0].substr(3, 4)), "00012340");
}

TEST_F(SRecordConverterTest, AnEndRecordWithNoOpenPacketSendsOnlyTheEndPacket) {
  const std::string text = Contiguous('3', 0, 7, 16) + Record('7', 0x12345678, {});
  EXPECT_EQ(Convert(text), 1);
  // Seven records: one packet at the sixth, the seventh with the end.
  EXPECT_EQ(Packets().size(), 2u);
  ui.events.clear();
  port.writes.clear();
  EXPECT_EQ(Convert(Contiguous('3', 0, 6, 16) + Record('7', 0x12345678, {})), 1);
  ASSERT_EQ(port.writes.size(), 2u);
  EXPECT_EQ(port.writes[1], testing::EndPacket());  // address 0 whatever the record said
}

TEST_F(SRecordConverterTest, EverythingAfterTheEndRecordIsIgnored) {
  std::string junk(5000, '\xA5');
  junk += "S3zzzz\n";
  EXPECT_EQ(Convert(Record('3', 0, Sequence(8)) + Record('7', 0, {}) + junk), 1);
  EXPECT_EQ(Packets().size(), 1u);
}

TEST_F(SRecordConverterTest, TheEndPacketsReplyIsNotExamined) {
  port.responder = [this](const std::string& w) { port.Deliver(w[1] == '7' ? "FF\r" : "FA\r"); };
  EXPECT_EQ(Convert(Record('3', 0, Sequence(8)) + Record('7', 0, {})), 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SRecordConverterTest, ProgressStepsByBlockAndNotInTheBlockOfTheEndRecord) {
  // 20 records of 16 bytes: 48 characters each, 960 in all, then the end
  // record in the fourth block.
  const std::string text = Contiguous('3', 0, 20, 16) + Record('7', 0, {});
  ASSERT_EQ(text.size(), 976u);
  EXPECT_EQ(Convert(text), 1);
  EXPECT_EQ(ui.progress, (std::vector<int>{26, 52, 78}));
}

// ---- byte for byte as tidy files were always converted ----

// Tidy files of S2 and S3 records: runs with gaps, records of 1..64 bytes,
// an S7 or S9 end and sometimes text after it.
std::string TidyFile(std::mt19937& random) {
  std::uniform_int_distribution<int> runs(1, 6), records(1, 30), size(1, 64), coin(0, 3);
  std::string text;
  std::uint32_t address = random() % 0x00F00000u + 1;
  for (int r = runs(random); r > 0; --r) {
    const char type = coin(random) == 0 ? '2' : '3';
    for (int n = records(random); n > 0; --n) {
      const int count = size(random);
      Bytes data(static_cast<std::size_t>(count));
      for (auto& b : data) b = static_cast<std::uint8_t>(random());
      text += Record(type, address, data);
      address += static_cast<std::uint32_t>(count);
    }
    address += static_cast<std::uint32_t>(random() % 4096 + 1);
  }
  text += Record(coin(random) < 2 ? '7' : '9', 0, {});
  if (coin(random) == 0) text += "trailing text that is never read\r\n";
  return text;
}

TEST_F(SRecordConverterTest, TidyFilesGoOnTheLineExactlyAsTheyAlwaysDid) {
  std::mt19937 random(20240611);
  for (int file = 0; file < 150; ++file) {
    const std::string text = TidyFile(random);
    ui.events.clear();
    port.writes.clear();
    EXPECT_EQ(Convert(text), 1);
    ASSERT_EQ(Log(), testing::ReferenceConvert(text)) << "file " << file;
  }
}

TEST_F(SRecordConverterTest, LineFeedsLowerCaseAndBlanksGiveTheSameBytes) {
  const std::string tidy = Contiguous('3', 0x400, 13, 16) + Record('7', 0, {});
  ASSERT_EQ(Convert(tidy), 1);
  const auto expected = Packets();

  RecordOptions loose;
  loose.lineEnd = " \t\n";
  loose.lower = true;
  port.writes.clear();
  ASSERT_EQ(Convert("\n" + Contiguous('3', 0x400, 13, 16, loose) + Record('7', 0, {}, loose)), 1);
  EXPECT_EQ(Packets(), expected);
}

TEST_F(SRecordConverterTest, HeaderAndCountRecordsAreSkipped) {
  const std::string data = Contiguous('3', 0x400, 9, 16);
  ASSERT_EQ(Convert(data + Record('7', 0, {})), 1);
  const auto expected = Packets();
  const Bytes header{'h', 'e', 'l', 'l', 'o'};
  port.writes.clear();
  ASSERT_EQ(Convert(Record('0', 0, header) + data + Record('5', 9, {}) + Record('7', 0, {})), 1);
  EXPECT_EQ(Packets(), expected);
}

TEST_F(SRecordConverterTest, SixteenBitRecordsGoLikeTwentyFourBitOnes) {
  ASSERT_EQ(Convert(Contiguous('2', 0x1234, 8, 16) + Record('8', 0, {})), 1);
  const auto expected = Packets();
  port.writes.clear();
  ASSERT_EQ(Convert(Contiguous('1', 0x1234, 8, 16) + Record('9', 0, {})), 1);
  EXPECT_EQ(Packets(), expected);
  EXPECT_EQ(testing::Hex(expected[0].substr(3, 4)), "00001234");
}

TEST_F(SRecordConverterTest, RecordsWithoutDataChangeNothing) {
  const std::string a = Record('3', 0x100, Sequence(16));
  const std::string b = Record('3', 0x110, Sequence(16, 16));
  ASSERT_EQ(Convert(a + b + Record('7', 0, {})), 1);
  const auto expected = Packets();
  port.writes.clear();
  ASSERT_EQ(Convert(a + Record('3', 0x9000, {}) + b + Record('7', 0, {})), 1);
  EXPECT_EQ(Packets(), expected);
}

// ---- records too long for the packet buffer ----

TEST_F(SRecordConverterTest, AnOpenPacketGoesOutBeforeARecordThatWouldNotFit) {
  // 93 data bytes leave the packet at 100 bytes, open; 158 more would not fit.
  const std::string text =
      Record('3', 0, Sequence(93)) + Record('3', 93, Sequence(158, 93)) + Record('7', 0, {});
  EXPECT_EQ(Convert(text), 1);
  ASSERT_EQ(Packets().size(), 2u);
  EXPECT_EQ(Packets()[0], Packet(0, Sequence(93)));
  EXPECT_EQ(Packets()[1], Packet(93, Sequence(158, 93)));
  // The bytes a tidy-file reader would send instead overrun the buffer.
  const auto reference = testing::ReferenceConvert(text);
  EXPECT_NE(reference[0], "packet " + testing::Hex(Packets()[0]));
}

TEST_F(SRecordConverterTest, ARecordLongerThanAPacketIsSplitAtItsOwnAddresses) {
  // 252 data bytes with a 16-bit address: the longest record there is.
  const Bytes data = Sequence(252, 7);
  EXPECT_EQ(Convert(Record('1', 0xFF00, data) + Record('9', 0, {})), 1);
  for (const auto& p : Packets()) {
    EXPECT_LE(p.size(), PacketBuffer::kSize);
    EXPECT_EQ(static_cast<std::uint8_t>(p[2]), p.size() - 4);
  }
  std::map<std::uint32_t, std::uint8_t> expected;
  for (std::size_t i = 0; i < data.size(); ++i) expected[0xFF00u + i] = data[i];
  EXPECT_EQ(Image(), expected);
  EXPECT_EQ(Packets().size(), 2u);
}

TEST_F(SRecordConverterTest, LongRecordsOfEveryLengthKeepEveryByteInPlace) {
  std::mt19937 random(7);
  for (int file = 0; file < 40; ++file) {
    std::string text;
    std::map<std::uint32_t, std::uint8_t> expected;
    std::uint32_t address = 0x10000;
    for (int r = 0; r < 12; ++r) {
      const Bytes data = Sequence(random() % 250 + 1, static_cast<std::uint8_t>(random()));
      text += Record('3', address, data);
      for (auto b : data) expected[address++] = b;
      if (random() % 3 == 0) address += 100;
    }
    port.writes.clear();
    ASSERT_EQ(Convert(text + Record('7', 0, {})), 1);
    EXPECT_EQ(Image(), expected) << "file " << file;
    for (const auto& p : Packets()) EXPECT_LE(p.size(), 259u);
  }
}

TEST_F(SRecordConverterTest, NothingRunsOnPastTheTopOfTheAddressSpace) {
  const std::string text = Record('3', 0xFFFFFFF0u, Sequence(16)) +
                           Record('3', 0x2000, Sequence(4)) + Record('7', 0, {});
  EXPECT_EQ(Convert(text), 1);
  ASSERT_EQ(Packets().size(), 2u);
  EXPECT_EQ(Packets()[1], Packet(0x2000, Sequence(4)));
}

// ---- failures ----

TEST_F(SRecordConverterTest, NoEndRecordDropsTheOpenPacket) {
  EXPECT_EQ(Convert(Contiguous('3', 0, 8, 16)), 0);
  EXPECT_EQ(Packets().size(), 1u);  // the first six records; the last two are dropped
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Error on downloading!"});
}

TEST_F(SRecordConverterTest, AnEmptyFileIsAnError) {
  EXPECT_EQ(Convert(""), 0);
  EXPECT_TRUE(port.writes.empty());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Error on downloading!"});
}

TEST_F(SRecordConverterTest, AFaultOnAPacketStopsWithoutTheEndPacket) {
  reply = "FF\r";
  EXPECT_EQ(Convert(Contiguous('3', 0, 20, 16) + Record('7', 0, {})), 0);
  EXPECT_EQ(port.writes.size(), 1u);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Program Download: Fault on downloading!"});
}

TEST_F(SRecordConverterTest, ABadRecordMetDuringTheSendStopsBeforeItsDataGoOut) {
  // Files are checked before the handshake; this is a file changed after that.
  RecordOptions bad;
  bad.checksumDelta = 1;
  const std::string text =
      Record('3', 0, Sequence(16)) + Record('3', 16, Sequence(16), bad) + Record('7', 0, {});
  EXPECT_EQ(Convert(text), 0);
  EXPECT_TRUE(port.writes.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("Line 2: the record checksum is wrong"), std::string::npos);
}

}  // namespace
}  // namespace tessaro
