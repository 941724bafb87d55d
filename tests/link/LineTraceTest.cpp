// The byte escapes of line traces, and what the recorder writes.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

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

// A device that is there or not, as the test says.
class Device final : public SerialPort {
 public:
  bool present = false;
  bool Open(const char*) override { return open_ = present; }
  bool ApplyLineSettings(const LineSettings&) override { return true; }
  void SetQueuesAndTimeouts(const PortTimeouts&) override {}
  WaitResult WaitReadable(int) override { return WaitResult::TimedOut; }
  void Wake() override {}
  long Read(char*, std::size_t) override { return 0; }
  long Write(const char*, std::size_t count) override { return static_cast<long>(count); }
  void PurgeInput() override {}
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }

 private:
  bool open_ = false;
};

// A path with a line end in the header, and a reconnect that tries a gone
// device again and again, leave a trace that reads back line by line: the
// header as three comments, the failed opens as one line.
TEST(LineTraceTest, TheRecordStaysReadableAndShort) {
  const std::string path = ::testing::TempDir() + "line-trace-test.trace";
  const char* const argv[] = {"tessaro-linktest", "--json", "out\nput.json", "--trace", "a\\b"};
  std::FILE* file = TracingPort::OpenTraceFile(path.c_str(), 5, argv);
  ASSERT_NE(file, nullptr);
  Device device;
  {
    TracingPort trace(device, file);
    for (int attempt = 0; attempt < 50; ++attempt) EXPECT_FALSE(trace.Open("COM1"));
    device.present = true;
    EXPECT_TRUE(trace.Open("COM1"));
    trace.Close();
    device.present = false;
    EXPECT_FALSE(trace.Open("COM1"));
    trace.Note("test start in=0");
  }
  std::FILE* in = std::fopen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  char first[256] = {};
  ASSERT_NE(std::fgets(first, sizeof first, in), nullptr);
  char second[256] = {};
  ASSERT_NE(std::fgets(second, sizeof second, in), nullptr);
  EXPECT_STREQ(second, "# program: tessaro-linktest --json out\\nput.json --trace a\\\\b\n");
  std::rewind(in);
  std::vector<TraceEvent> events;
  std::string error;
  EXPECT_TRUE(ReadTrace(in, events, error)) << error;
  std::fclose(in);
  std::vector<std::string> lines;
  for (const TraceEvent& e : events) lines.push_back(e.kind + " " + e.text);
  const std::vector<std::string> expected = {"open COM1 failed", "open COM1 ok", "close ",
                                             "open COM1 failed", "test start in=0"};
  EXPECT_EQ(lines, expected);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tessaro
