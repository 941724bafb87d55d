#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/FrameAssembler.h"

namespace tessaro {
namespace {

class Collect : public FrameSink {
 public:
  void OnFrame(const char* m, std::size_t n) override {
    EXPECT_EQ(m[n], '\0');  // zero-terminated after the "\r"
    frames.emplace_back(m, n);
  }
  std::vector<std::string> frames;
};

class FrameAssemblerTest : public ::testing::Test {
 protected:
  void Feed(const std::string& s) { assembler.Feed(s.data(), s.size()); }
  Collect sink;
  FrameAssembler assembler{sink};
};

TEST_F(FrameAssemblerTest, MessageSplitAcrossReadsIsDispatchedOnce) {
  Feed("@BS");
  EXPECT_TRUE(sink.frames.empty());
  Feed("\r");
  EXPECT_EQ(sink.frames, (std::vector<std::string>{"@BS\r"}));
}

TEST_F(FrameAssemblerTest, EverySplitOfAStreamGivesTheSameMessages) {
  const std::string stream = "xx@BS0111\r@TM0101\r1@DT01010001ABC\r\r@OK01\r";
  const std::vector<std::string> expected = {"@BS0111\r", "@TM0101\r", "@DT01010001ABC\r",
                                             "@OK01\r"};
  for (std::size_t chunk = 1; chunk <= stream.size(); ++chunk) {
    Collect c;
    FrameAssembler a(c);
    for (std::size_t i = 0; i < stream.size(); i += chunk) {
      a.Feed(stream.data() + i, std::min(chunk, stream.size() - i));
    }
    EXPECT_EQ(c.frames, expected) << "chunk " << chunk;
  }
}

TEST_F(FrameAssemblerTest, AtSignAbandonsTheOpenMessage) {
  Feed("@CH01@GP0101\r");
  EXPECT_EQ(sink.frames, (std::vector<std::string>{"@GP0101\r"}));
}

TEST_F(FrameAssemblerTest, LoneOneBetweenMessagesSetsSixChannelMode) {
  Feed("@CH0101\r");
  EXPECT_EQ(assembler.SixChannelMode(), 0);
  Feed("\r\rzz");
  EXPECT_EQ(assembler.SixChannelMode(), 0);
  Feed("x1y");
  EXPECT_EQ(assembler.SixChannelMode(), 1);
  EXPECT_EQ(sink.frames.size(), 1u);
}

TEST_F(FrameAssemblerTest, LongestMessageCompletesAndLongerOnesAreDropped) {
  const std::string longest = "@" + std::string(249, 'A') + "\r";  // 251 characters
  Feed(longest);
  ASSERT_EQ(sink.frames.size(), 1u);
  EXPECT_EQ(sink.frames[0], longest);

  const std::string tooLong = "@" + std::string(250, 'A') + "\r";  // 252 characters
  Feed(tooLong);
  Feed("more\r");
  EXPECT_EQ(sink.frames.size(), 1u);
  Feed("@OK01\r");
  EXPECT_EQ(sink.frames.back(), "@OK01\r");
}

TEST_F(FrameAssemblerTest, CarriageReturnOutsideAMessageIsDropped) {
  Feed("\r\r\r");
  EXPECT_TRUE(sink.frames.empty());
  EXPECT_EQ(assembler.Position(), 0);
}

TEST_F(FrameAssemblerTest, ZeroLengthFeedDoesNothing) {
  Feed("@B");
  assembler.Feed(nullptr, 0);
  EXPECT_EQ(assembler.Position(), 2);
}

TEST_F(FrameAssemblerTest, AbandonedMessageIsNotContinuedByLaterBytes) {
  Feed("@DT01");
  assembler.AbandonMessage();
  Feed("0001\r@OK01\r");
  EXPECT_EQ(sink.frames, (std::vector<std::string>{"@OK01\r"}));
}

}  // namespace
}  // namespace tessaro
