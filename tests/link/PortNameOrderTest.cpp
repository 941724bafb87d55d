#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/PortNames.h"

namespace tessaro {
namespace {

TEST(PortNameLess, NumbersInNamesCompareAsNumbers) {
  std::vector<std::string> names = {"COM10",        "COM2",   "/dev/ttyUSB10", "COM1",
                                    "/dev/ttyUSB9", "COM100", "COM02",         "/dev/ttyACM0"};
  std::sort(names.begin(), names.end(), PortNameLess);
  const std::vector<std::string> expected = {
      "/dev/ttyACM0", "/dev/ttyUSB9", "/dev/ttyUSB10", "COM1", "COM02", "COM2", "COM10", "COM100"};
  EXPECT_EQ(names, expected);
  // A strict order: no name is before itself, equal numbers tie-break fixed.
  EXPECT_FALSE(PortNameLess("COM3", "COM3"));
  EXPECT_NE(PortNameLess("COM02", "COM2"), PortNameLess("COM2", "COM02"));
}

}  // namespace
}  // namespace tessaro
