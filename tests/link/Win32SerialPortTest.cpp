#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "link/Win32SerialPort.h"

namespace tessaro {
namespace {

// What the user is told about a port that cannot be opened, with the
// system's own reason kept.
TEST(Win32SerialPortOpen, SaysWhyAPortDoesNotOpen) {
  Win32SerialPort port;
  EXPECT_FALSE(port.Open("COM200"));
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NotFound);
  EXPECT_NE(port.LastError().code, 0);
  EXPECT_NE(std::string(port.LastError().text), "");
  EXPECT_FALSE(port.IsOpen());

  // A disk file opens with CreateFileA but is no serial line.
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "tessaro-not-a-port.txt";
  std::FILE* f = std::fopen(file.string().c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_FALSE(port.Open(file.string().c_str()));
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NotSerial);
  EXPECT_FALSE(port.IsOpen());
  std::filesystem::remove(file);

  // A closed port refuses every call without touching a handle.
  char byte = 0;
  EXPECT_EQ(port.Read(&byte, 1), -1);
  EXPECT_EQ(port.Write("x", 1), -1);
  EXPECT_EQ(port.WaitReadable(0), WaitResult::Failed);
}

}  // namespace
}  // namespace tessaro
