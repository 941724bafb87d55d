// The metrics file is replaced whole on every write, on each platform's own
// rename (POSIX rename, Win32 MoveFileEx), and a failed write leaves the last
// good file to the collector.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/metrics/MetricsFile.h"

namespace tessaro::metrics {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(MetricsFileTest, EachWriteReplacesTheFileAndAFailedOneLeavesTheLast) {
  const fs::path dir =
      fs::temp_directory_path() /
      ("tessaro-metrics-file-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  ASSERT_TRUE(fs::create_directory(dir));
  const fs::path target = dir / "tessaro.prom";
  const MetricsFile file(target.string());
  std::string error;
  ASSERT_TRUE(file.Check(error)) << error;

  ASSERT_TRUE(file.Write("a 1\n", error)) << error;
  ASSERT_TRUE(file.Write("a 2\n", error)) << error;  // over an existing file
  EXPECT_EQ(Contents(target), "a 2\n");
  EXPECT_FALSE(fs::exists(dir / "tessaro.prom.partial"));

  // The temporary cannot be made: the write fails and says why.
  fs::create_directory(dir / "tessaro.prom.partial");
  EXPECT_FALSE(file.Write("a 3\n", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Contents(target), "a 2\n");

  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace tessaro::metrics
