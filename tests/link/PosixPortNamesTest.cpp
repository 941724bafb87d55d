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
  EXPECT_EQ(Resolve("./COM7"), "./COM7");
  EXPECT_EQ(Resolve("COMPORT"), "COMPORT");
}

std::string Describe(const char* name) {
  char text[320];
  DescribePortName(name, text, sizeof text);
  return text;
}

// A COM name is never a file of that name: it stands for a device or for
// nothing, and the operator is told which and why.
TEST(ResolvePortName, ComNamesSayWhatTheyStandForAndWhatIsMissing) {
  unsetenv("TESSARO_COM1");
  setenv("TESSARO_COM2", "", 1);
  setenv("TESSARO_COM3", "/dev/ttyUSB0", 1);
  const struct {
    const char* name;
    const char* path;
    const char* says;
  } cases[] = {
      {"COM1", "/dev/ttyS0", "COM1 is /dev/ttyS0 (TESSARO_COM1 is not set)."},
      {"com1", "/dev/ttyS0", "com1 is /dev/ttyS0 (TESSARO_COM1 is not set)."},
      {"COM2", "/dev/ttyS1", "COM2 is /dev/ttyS1 (TESSARO_COM2 is set but empty)."},
      {"Com3", "/dev/ttyUSB0", "Com3 is /dev/ttyUSB0 (from TESSARO_COM3)."},
      {"COM7", "<refused>", "COM7 stands for no device here"},
      {"COM0", "<refused>", "COM0 stands for no device here"},
      {"COM10", "<refused>", "./COM10 for a file of that name"},
      {"/dev/ttyUSB1", "/dev/ttyUSB1", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Resolve(c.name), c.path) << c.name;
    const std::string says = Describe(c.name);
    if (c.says[0] == '\0') {
      EXPECT_EQ(says, "") << c.name;
    } else {
      EXPECT_NE(says.find(c.says), std::string::npos) << c.name << ": " << says;
    }
  }
  unsetenv("TESSARO_COM2");
  unsetenv("TESSARO_COM3");
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
