#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "link/PortNames.h"

namespace tessaro {
namespace {

std::string Resolve(const char* name) {
  char path[64];
  return ResolvePortName(name, path, sizeof path) ? std::string(path) : std::string("<refused>");
}

TEST(ResolvePortName, ComNamesGoToTheEnvironmentOrTheUartOfThatNumber) {
  unsetenv("TESSARO_COM1");
  unsetenv("TESSARO_COM6");
  EXPECT_EQ(Resolve("COM1"), "/dev/ttyS0");
  EXPECT_EQ(Resolve("COM6"), "/dev/ttyS5");
  setenv("TESSARO_COM6", "/dev/ttyUSB0", 1);
  EXPECT_EQ(Resolve("COM6"), "/dev/ttyUSB0");
  EXPECT_EQ(Resolve("COM1"), "/dev/ttyS0");
  // Set but empty counts as not set.
  setenv("TESSARO_COM6", "", 1);
  EXPECT_EQ(Resolve("COM6"), "/dev/ttyS5");
  unsetenv("TESSARO_COM6");
}

TEST(ResolvePortName, OtherNamesAreDevicePathsAsTheyStand) {
  EXPECT_EQ(Resolve("/dev/pts/7"), "/dev/pts/7");
  EXPECT_EQ(Resolve("COM7"), "COM7");
  EXPECT_EQ(Resolve("COM10"), "COM10");
  EXPECT_EQ(Resolve("com1"), "com1");
}

TEST(ResolvePortName, RefusesWhatDoesNotFit) {
  char small[8];
  EXPECT_FALSE(ResolvePortName("/dev/ttyUSB0", small, sizeof small));
  EXPECT_FALSE(ResolvePortName("", small, sizeof small));
  EXPECT_FALSE(ResolvePortName(nullptr, small, sizeof small));
  setenv("TESSARO_COM2", "/dev/serial/by-id/a-very-long-name", 1);
  EXPECT_FALSE(ResolvePortName("COM2", small, sizeof small));
  unsetenv("TESSARO_COM2");
}

}  // namespace
}  // namespace tessaro
