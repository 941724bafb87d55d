// The base's loader after "@UP": handshake, packet checks and answers, its
// faults, the image it keeps, and the way back to the "@" protocol.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "sim/Image.h"
#include "tests/sim/SimFixture.h"

namespace tessaro::sim::testing {
namespace {

// A data packet as the PC sends it: "S3", length, address, data, checksum, CR.
std::string DataPacket(std::uint32_t address, const std::vector<std::uint8_t>& data,
                       bool breakChecksum = false) {
  std::string p = "S3";
  const auto length = static_cast<unsigned char>(4 + data.size() + 1);
  p += static_cast<char>(length);
  unsigned sum = length;
  for (int shift = 24; shift >= 0; shift -= 8) {
    p += static_cast<char>((address >> shift) & 0xFF);
    sum += (address >> shift) & 0xFF;
  }
  for (std::uint8_t b : data) {
    p += static_cast<char>(b);
    sum += b;
  }
  p += static_cast<char>((~sum & 0xFF) ^ (breakChecksum ? 0x01 : 0x00));
  p += '\r';
  return p;
}

const std::string kEndPacket("S7\x05\x00\x00\x00\x00\xFA\r", 9);

std::vector<std::uint8_t> Bytes(int count, int seed) {
  std::vector<std::uint8_t> data;
  data.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) data.push_back(static_cast<std::uint8_t>((i * 37 + seed) & 0xFF));
  return data;
}

class LoaderTest : public SimTest {
 protected:
  void StartLoader(const LoaderConfig& loader = {}) {
    Scenario s = QuickScenario();
    s.loader = loader;
    StartWith(s);
    pc.Send("@UP01\r");
    ASSERT_TRUE(sim->WaitUntil([this] { return sim->Loader().active; }, 5s));
  }
  // The loader's next bare answer, without its CR.
  std::string Answer(const std::string& bytes) {
    pc.Send(bytes);
    const std::string line = pc.ReadLine();
    return line.empty() ? "(none)" : line.substr(0, line.size() - 1);
  }
};

TEST_F(LoaderTest, HandshakeAnswersAsConfigured) {
  StartLoader();
  EXPECT_EQ(Answer("\r"), "ACK0");
  EXPECT_EQ(Answer("QUORVAN\r"), "ACK1");
  EXPECT_EQ(Answer("DOWNLOAD\r"), "ACK2");
  pc.Send("HELLO\r");  // a line the loader does not know
  EXPECT_TRUE(pc.Quiet(100ms));
  sim->SetLoader({"FN", "", "ACK2", "FA"});
  EXPECT_EQ(Answer("\r"), "FN");
  pc.Send("QUORVAN\r");
  EXPECT_TRUE(pc.Quiet(100ms));  // an empty answer is silence
  EXPECT_EQ(sim->Loader().lines.size(), 6u);
}

TEST_F(LoaderTest, AGoodImageIsKeptByteForByteAndTheLineReturnsToNormal) {
  StartLoader();
  const auto first = Bytes(96, 1);
  const auto second = Bytes(40, 2);
  const auto apart = Bytes(16, 3);
  EXPECT_EQ(Answer(DataPacket(0x1000, first)), "FA");
  EXPECT_EQ(Answer(DataPacket(0x1060, second)), "FA");  // runs on from the first
  EXPECT_EQ(Answer(DataPacket(0x00FF0000, apart)), "FA");
  // Bytes that look like framing are data inside a packet.
  const std::vector<std::uint8_t> tricky = {'\r', '@', 'S', '7', 0x00, 0xFF, '\r'};
  EXPECT_EQ(Answer(DataPacket(0x2000, tricky)), "FA");
  EXPECT_EQ(Answer(kEndPacket), "FA");
  EXPECT_FALSE(sim->Loader().active);
  EXPECT_EQ(sim->Loader().completed, 1);
  EXPECT_EQ(sim->Loader().packetsAccepted, 4);

  Image expected;
  std::vector<std::uint8_t> joined = first;
  joined.insert(joined.end(), second.begin(), second.end());
  expected[0x1000] = joined;
  expected[0x2000] = tricky;
  expected[0x00FF0000] = apart;
  EXPECT_EQ(sim->LoaderImage(), expected);

  EXPECT_EQ(Ask("@TM02\r"), "@TM020708\r");  // back to the "@" protocol
}

TEST_F(LoaderTest, TheImageIsWrittenAsBinaryAndAsSRecords) {
  StartLoader();
  EXPECT_EQ(Answer(DataPacket(0x10, {1, 2, 3, 4})), "FA");
  EXPECT_EQ(Answer(DataPacket(0x16, {7})), "FA");
  EXPECT_EQ(Answer(kEndPacket), "FA");
  const std::string bin = ::testing::TempDir() + "basesim-image.bin";
  const std::string srec = ::testing::TempDir() + "basesim-image.abo";
  ASSERT_TRUE(sim->WriteImageBinary(bin));
  ASSERT_TRUE(sim->WriteImageSRecord(srec));
  std::ifstream b(bin, std::ios::binary);
  std::stringstream binText;
  binText << b.rdbuf();
  EXPECT_EQ(binText.str(), std::string("\x01\x02\x03\x04\xFF\xFF\x07", 7));
  std::ifstream s(srec, std::ios::binary);
  std::stringstream srecText;
  srecText << s.rdbuf();
  // The packet example of the download: 01 02 03 04 at 00 00 10 00 has checksum DC.
  EXPECT_EQ(FormatImageSRecord(Image{{0x1000, {1, 2, 3, 4}}}),
            "S30900001000010203"
            "04DC\r\nS70500000000FA\r\n");
  EXPECT_EQ(srecText.str(),
            "S30900000010010203"
            "04DC\r\nS30600000016"
            "07DC\r\nS70500000000FA\r\n");
  std::string error;
  EXPECT_FALSE(sim->WriteImageBinary("/nonexistent/dir/x.bin", &error));
  EXPECT_FALSE(error.empty());
  std::remove(bin.c_str());
  std::remove(srec.c_str());
}

TEST_F(LoaderTest, AWrongChecksumIsRefusedWithFnByDefaultAndNotKept) {
  StartLoader();
  EXPECT_EQ(Answer(DataPacket(0x100, Bytes(8, 1), true)), "FN");
  EXPECT_EQ(Answer(DataPacket(0x100, Bytes(8, 1))), "FA");  // the PC's repeat
  EXPECT_EQ(sim->Loader().packetsRefused, 1);
  EXPECT_EQ(sim->LoaderImage().at(0x100), Bytes(8, 1));
}

TEST_F(LoaderTest, AWrongChecksumIsRefusedWithFfWhenConfigured) {
  LoaderConfig c;
  c.badChecksum = LoaderConfig::Refusal::kFf;
  StartLoader(c);
  EXPECT_EQ(Answer(DataPacket(0x100, Bytes(8, 1), true)), "FF");
  EXPECT_TRUE(sim->LoaderImage().empty());
}

TEST_F(LoaderTest, AWrongLengthByteOrMissingCrIsRefused) {
  StartLoader();
  std::string p = DataPacket(0x100, Bytes(4, 1));
  p[p.size() - 1] = 'X';  // no CR where the length byte says the packet ends
  EXPECT_EQ(Answer(p), "FN");
  EXPECT_EQ(Answer(std::string("S3\x02\x00\x00\r", 6)), "FN");  // too short to hold an address
  EXPECT_EQ(Answer(DataPacket(0x100, Bytes(4, 1))), "FA");
}

TEST_F(LoaderTest, FaultAtPacketKAndAnFnBurst) {
  LoaderConfig c;
  c.faultAtPacket = 2;
  c.fnBurstAtPacket = 4;
  c.fnBurstLength = 2;
  StartLoader(c);
  EXPECT_EQ(Answer(DataPacket(0x0, Bytes(4, 1))), "FA");
  EXPECT_EQ(Answer(DataPacket(0x4, Bytes(4, 2))), "FF");
  EXPECT_EQ(Answer(DataPacket(0x4, Bytes(4, 2))), "FA");  // counted on: the fault is over
  EXPECT_EQ(Answer(DataPacket(0x8, Bytes(4, 3))), "FN");
  EXPECT_EQ(Answer(DataPacket(0x8, Bytes(4, 3))), "FN");
  EXPECT_EQ(Answer(DataPacket(0x8, Bytes(4, 3))), "FA");
  EXPECT_EQ(sim->Loader().packetsReceived, 6);
}

TEST_F(LoaderTest, SilenceEverywhereOrAtOnePacket) {
  LoaderConfig c;
  c.silentAtPacket = 1;
  StartLoader(c);
  pc.Send(DataPacket(0x0, Bytes(4, 1)));
  EXPECT_TRUE(pc.Quiet(150ms));
  EXPECT_EQ(Answer(DataPacket(0x0, Bytes(4, 1))), "FA");
  c.silent = true;
  sim->SetLoader(c);
  pc.Send("\r");
  pc.Send(DataPacket(0x4, Bytes(4, 1)));
  EXPECT_TRUE(pc.Quiet(150ms));
}

TEST_F(LoaderTest, ASplitAnswerComesInTwoWrites) {
  LoaderConfig c;
  c.splitReplies = true;
  c.splitGapMs = 1000;  // long, so the test sees the two parts apart
  StartLoader(c);
  pc.Send(DataPacket(0x0, Bytes(4, 1)));
  ASSERT_GT(pc.Pump(5s), 0u);
  EXPECT_EQ(pc.Buffer(), "F");
  EXPECT_EQ(pc.ReadLine(), "FA\r");
}

TEST_F(LoaderTest, AnAnswerWithBytesAfterItsCr) {
  LoaderConfig c;
  c.trailingAtPacket = 1;
  c.trailingBytes = "zz";
  StartLoader(c);
  pc.Send(DataPacket(0x0, Bytes(4, 1)));
  EXPECT_EQ(pc.ReadLine(), "FA\r");
  EXPECT_EQ(pc.Collect(100ms), "zz");
}

TEST_F(LoaderTest, TheLoaderListensAt115200WhateverTheBaseSpeed) {
  Scenario s = QuickScenario();
  s.bases[0].baudIndex = 4;  // 9600
  StartWith(s);
  pc.Send("@UP02\r");
  ASSERT_TRUE(sim->WaitUntil([this] { return sim->Loader().active; }, 5s));
  EXPECT_EQ(sim->BaseSpeed(), 115200);
  pc.Send("\r");
  EXPECT_EQ(pc.Collect(200ms).find("ACK0"), std::string::npos);  // the PC is still at 9600
  ASSERT_TRUE(pc.SetSpeed(115200));
  EXPECT_EQ(Answer("\r"), "ACK0");
  EXPECT_EQ(Answer(kEndPacket), "FA");
  EXPECT_EQ(sim->BaseSpeed(), 9600);
}

TEST_F(LoaderTest, AnIdleLoaderGivesTheLineBack) {
  LoaderConfig c;
  c.idleExitMs = 100;
  StartLoader(c);
  ASSERT_TRUE(sim->WaitUntil([this] { return !sim->Loader().active; }, 5s));
  EXPECT_EQ(Ask("@TM02\r"), "@TM020708\r");
}

TEST(ImageStore, WritesJoinTouchingAndOverlappingRuns) {
  Image image;
  const std::uint8_t a[] = {1, 2, 3};
  const std::uint8_t b[] = {9, 9};
  const std::uint8_t c[] = {5};
  WriteToImage(image, 10, a, 3);
  WriteToImage(image, 20, c, 1);
  WriteToImage(image, 13, b, 2);  // touches the first run
  EXPECT_EQ(image, (Image{{10, {1, 2, 3, 9, 9}}, {20, {5}}}));
  WriteToImage(image, 8, b, 2);   // touches from below
  WriteToImage(image, 11, c, 1);  // overwrites inside
  EXPECT_EQ(image, (Image{{8, {9, 9, 1, 5, 3, 9, 9}}, {20, {5}}}));
  const std::uint8_t bridge[] = {7, 7, 7, 7, 7, 7};
  WriteToImage(image, 14, bridge, 6);  // spans the gap: one run
  EXPECT_EQ(image, (Image{{8, {9, 9, 1, 5, 3, 9, 7, 7, 7, 7, 7, 7, 5}}}));
  const std::uint8_t top[] = {1, 2};
  WriteToImage(image, 0xFFFFFFFF, top, 1);
  EXPECT_EQ(image.rbegin()->first, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tessaro::sim::testing
