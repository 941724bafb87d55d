#include "tools/common/OutputFile.h"

#include <filesystem>
#include <system_error>

namespace tessaro::cli {

namespace fs = std::filesystem;

bool ReplacedByRename(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  return !fs::exists(status) || fs::is_regular_file(status);
}

std::string Resolved(const std::string& path) {
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(path, ec);
  return ec ? path : real.string();
}

std::string PartialPath(const std::string& path) {
  return path + ".partial";
}

}  // namespace tessaro::cli
