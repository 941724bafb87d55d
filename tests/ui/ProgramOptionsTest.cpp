#include <gtest/gtest.h>

#include "ui/ProgramOptions.h"

namespace tessaro {
namespace {

ProgramOptions Parse(std::initializer_list<const char*> args) {
  std::vector<const char*> argv{"tessaro"};
  argv.insert(argv.end(), args.begin(), args.end());
  return ParseProgramOptions(static_cast<int>(argv.size()), argv.data());
}

TEST(ProgramOptionsTest, PlainStartShowsTheAboutBox) {
  const ProgramOptions o = Parse({});
  EXPECT_TRUE(o.showAbout);
  EXPECT_TRUE(o.demoDir.empty());
  EXPECT_TRUE(o.error.empty());
}

TEST(ProgramOptionsTest, DemoSkipsTheAboutBoxAndTakesItsDirectory) {
  const ProgramOptions o = Parse({"--demo", "/tmp/shots", "--demo-test-seconds", "7"});
  EXPECT_FALSE(o.showAbout);
  EXPECT_EQ(o.demoDir, "/tmp/shots");
  EXPECT_EQ(o.demoTestSeconds, 7);
  EXPECT_FALSE(Parse({"--no-about"}).showAbout);
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
}

// The line is read before QApplication exists, so Qt's own options must pass.
TEST(ProgramOptionsTest, QtOptionsArePassedOverWithTheirValues) {
  const ProgramOptions o =
      Parse({"-platform", "offscreen", "--style=Fusion", "-reverse", "--no-about"});
  EXPECT_EQ(o.error, "");
  EXPECT_FALSE(o.showAbout);
  EXPECT_NE(Parse({"-platform"}).error.find("-platform needs a value"), std::string::npos);
}

TEST(ProgramOptionsTest, BadLinesAreExplained) {
  EXPECT_NE(Parse({"--demo"}).error.find("--demo"), std::string::npos);
  EXPECT_NE(Parse({"--demo", ""}).error, "");
  EXPECT_NE(Parse({"--demo-test-seconds", "0"}).error, "");
  EXPECT_NE(Parse({"--demo-test-seconds", "5x"}).error, "");
  EXPECT_NE(Parse({"--demo-test-seconds"}).error, "");
  EXPECT_NE(Parse({"--bogus"}).error.find("--bogus"), std::string::npos);
}

}  // namespace
}  // namespace tessaro
