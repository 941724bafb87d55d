#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/front/WindowOptions.h"
#include "resources/RfMenu.h"

namespace tessaro {
namespace {

WindowOptions Parse(std::initializer_list<const char*> args,
                    const ToolkitOptionLength& toolkit = {}) {
  std::vector<const char*> argv{"tessaro"};
  argv.insert(argv.end(), args.begin(), args.end());
  return ParseWindowOptions(static_cast<int>(argv.size()), argv.data(), toolkit);
}

TEST(WindowOptionsTest, PlainStartShowsTheAboutBox) {
  const WindowOptions o = Parse({});
  EXPECT_TRUE(o.showAbout);
  EXPECT_TRUE(o.demoDir.empty());
  EXPECT_EQ(o.portRow, -1);
  EXPECT_TRUE(o.error.empty());
}

TEST(WindowOptionsTest, ValuesComeAsTheNextArgumentOrAfterAnEqualsSign) {
  const WindowOptions o = Parse({"--demo", "/tmp/shots", "--demo-test-seconds=7", "--port=com3",
                                 "--trace", "line.txt", "--dialog", "base-id:701=5,601=6"});
  EXPECT_EQ(o.error, "");
  EXPECT_FALSE(o.showAbout);  // a demo shows no About box
  EXPECT_EQ(o.demoDir, "/tmp/shots");
  EXPECT_EQ(o.demoTestSeconds, 7);
  EXPECT_EQ(o.portRow, 2);
  EXPECT_EQ(o.tracePath, "line.txt");
  ASSERT_EQ(o.dialogs.size(), 1U);
  EXPECT_EQ(o.dialogs[0].command, kCmdBaseId);
  EXPECT_EQ(o.dialogs[0].values,
            (std::vector<std::pair<int, std::string>>{{701, "5"}, {601, "6"}}));
  EXPECT_FALSE(Parse({"--no-about"}).showAbout);
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
}

// The line is read before the toolkit starts, so its own options must pass.
TEST(WindowOptionsTest, TheToolkitsOwnOptionsArePassedOver) {
  const ToolkitOptionLength toolkit = [](std::string_view arg) {
    return arg == "-platform" ? 2 : (arg == "-reverse" ? 1 : 0);
  };
  const WindowOptions o = Parse({"-platform", "offscreen", "-reverse", "--no-about"}, toolkit);
  EXPECT_EQ(o.error, "");
  EXPECT_FALSE(o.showAbout);
  EXPECT_EQ(Parse({"-platform"}, toolkit).error, "-platform needs a value");
}

TEST(WindowOptionsTest, BadLinesAreExplained) {
  struct Case {
    std::vector<const char*> args;
    const char* error;
  };
  const Case cases[] = {
      {{"--demo"}, "--demo needs a directory for the screenshots"},
      {{"--demo", ""}, "--demo needs a directory for the screenshots"},
      {{"--trace"}, "--trace needs a file for the line trace"},
      {{"--demo-test-seconds", "0"},
       "--demo-test-seconds needs a number of seconds from 1 to 3600"},
      {{"--demo-test-seconds", "5x"},
       "--demo-test-seconds needs a number of seconds from 1 to 3600"},
      {{"--demo-test-seconds"}, "--demo-test-seconds needs a number of seconds from 1 to 3600"},
      {{"--port", "COM7"}, "--port needs one of COM1 .. COM6"},
      {{"--demo", "d", "--dialog", "nope"},
       "--dialog: unknown dialog \"nope\" (comm, base-id, base-properties, criteria, about)"},
      {{"--demo", "d", "--dialog", "comm:x=1"}, "--dialog: not CONTROL=TEXT: x=1"},
      {{"--download", "image.ABO"}, "--dialog, --download and --statistics belong to a --demo run"},
      {{"--bogus"}, "unknown option: --bogus"},
      {{"stray"}, "unknown option: stray"},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"tessaro"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(ParseWindowOptions(static_cast<int>(argv.size()), argv.data()).error, c.error)
        << c.args[0];
  }
}

}  // namespace
}  // namespace tessaro
