#include <gtest/gtest.h>

#include <string>

#include "link/PortNames.h"

namespace tessaro {
namespace {

std::string Resolve(const char* name) {
  char path[32];
  return ResolvePortName(name, path, sizeof path) ? std::string(path) : std::string("<refused>");
}

// COM10 and above exist only in the device namespace; all COM names go there.
TEST(ResolvePortName, ComNamesAreDevicesInTheDeviceNamespace) {
  EXPECT_EQ(Resolve("COM1"), "\\\\.\\COM1");
  EXPECT_EQ(Resolve("COM10"), "\\\\.\\COM10");
  EXPECT_EQ(Resolve("com255"), "\\\\.\\com255");
  EXPECT_EQ(Resolve("\\\\.\\CNCA0"), "\\\\.\\CNCA0");
  EXPECT_EQ(Resolve("COM"), "COM");
  EXPECT_EQ(Resolve("COM1x"), "COM1x");
  EXPECT_EQ(Resolve(""), "<refused>");
  char small[6];
  EXPECT_FALSE(ResolvePortName("COM10", small, sizeof small));
  // What a COM name stands for, said as on POSIX; nothing for other names.
  char says[64];
  DescribePortName("com7", says, sizeof says);
  EXPECT_STREQ(says, "com7 is the device \\\\.\\com7.");
  DescribePortName("\\\\.\\CNCA0", says, sizeof says);
  EXPECT_STREQ(says, "");
}

TEST(ListSerialPorts, ComesSortedWithoutRepeats) {
  const std::vector<std::string> ports = ListSerialPorts();
  for (std::size_t i = 1; i < ports.size(); ++i) EXPECT_TRUE(PortNameLess(ports[i - 1], ports[i]));
}

}  // namespace
}  // namespace tessaro
