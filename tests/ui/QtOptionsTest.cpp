#include <gtest/gtest.h>

#include "ui/QtOptions.h"

namespace tessaro {
namespace {

// QApplication takes these out of the line itself: one dash or two, the
// value as the next argument or after "=".
TEST(QtOptionsTest, QtsOwnOptionsAreKnownWithTheirValues) {
  EXPECT_EQ(QtOptionLength("-platform"), 2);
  EXPECT_EQ(QtOptionLength("--style=Fusion"), 1);
  EXPECT_EQ(QtOptionLength("-reverse"), 1);
  EXPECT_EQ(QtOptionLength("--no-about"), 0);
  EXPECT_EQ(QtOptionLength("-"), 0);
}

}  // namespace
}  // namespace tessaro
