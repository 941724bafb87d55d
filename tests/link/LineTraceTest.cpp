// The byte escapes of line traces.

#include <gtest/gtest.h>

#include <string>

#include "link/LineTrace.h"

namespace tessaro {
namespace {

TEST(LineTraceTest, EveryByteSurvivesTheEscapes) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  all += "  trailing spaces  ";
  const std::string text = EscapeLineBytes(all.data(), all.size());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  std::string back;
  ASSERT_TRUE(UnescapeLineBytes(text, back));
  EXPECT_EQ(back, all);
}

TEST(LineTraceTest, BrokenEscapesAreRefused) {
  std::string bytes;
  for (const char* text : {"\\", "ab\\", "\\x", "\\x4", "\\xG1", "\\q"}) {
    EXPECT_FALSE(UnescapeLineBytes(text, bytes)) << text;
  }
}

}  // namespace
}  // namespace tessaro
