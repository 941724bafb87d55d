#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/replay/Replay.h"

namespace tessaro {
namespace {

// Runs the replay over `input` and returns what it printed.
std::string Replay(const std::string& input, const ReplayOptions& options = {}) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  EXPECT_EQ(RunReplay(in, out, options), 0);
  std::string text;
  std::rewind(out);
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) text.append(buffer, n);
  std::fclose(in);
  std::fclose(out);
  return text;
}

TEST(Replay, BaseListPrintsTheTenQueriesInOrderThenTheRegistry) {
  const std::string out = Replay("@BS01110311\r");
  const std::string expected =
      "<- @BS01110311\\r\n"
      "pane 0: @BS01110311\\r\n"
      "-> @CH010\\r\n-> @GP010\\r\n-> @ME010\\r\n-> @PW010\\r\n-> @TO0100\\r\n"
      "-> @CH030\\r\n-> @GP030\\r\n-> @ME030\\r\n-> @PW030\\r\n-> @TO0300\\r\n"
      "registry:\n"
      "  base 01: channel 1 group 1 power 1 mode - timeout 0 baud 0\n"
      "    terminals: none\n"
      "  base 03: channel 1 group 1 power 1 mode - timeout 0 baud 0\n"
      "    terminals: none\n"
      "  highestBase: 3\n"
      "six-channel mode: 0\n";
  EXPECT_EQ(out, expected);
}

TEST(Replay, ShowsTerminalsPropertiesAndSixChannelMode) {
  ReplayOptions options;
  options.baudIndex = 4;
  const std::string out =
      Replay("noise1@BS0213\r@TM020511\r@ME0203\r@TO020009\r@PW0204\r", options);
  EXPECT_NE(out.find("  base 02: channel 3 group 1 power 4 mode 3 timeout 9 baud 4\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("    terminals: 05 11\n"), std::string::npos);
  EXPECT_NE(out.find("six-channel mode: 1\n"), std::string::npos);
}

TEST(Replay, EscapesControlBytes) {
  EXPECT_EQ(EscapeBytes("a\r\n\x01\\\xff", 6), "a\\r\\n\\x01\\\\\\xFF");
}

}  // namespace
}  // namespace tessaro
