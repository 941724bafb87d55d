#include "tools/metrics/MetricsFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tools/metrics/RenameOver.h"

namespace tessaro::metrics {

namespace {

std::string Resolved(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(path, ec);
  return ec ? path : real.string();
}

}  // namespace

MetricsFile::MetricsFile(const std::string& path)
    : path_(Resolved(path)), partial_(path_ + ".partial") {}

bool MetricsFile::Check(std::string& error) const {
  std::error_code ec;
  if (std::filesystem::is_directory(path_, ec)) {
    error = "is a directory";
    return false;
  }
  const auto status = std::filesystem::status(path_, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    // Renaming over a device or pipe would replace it, not write to it.
    error = "not a regular file";
    return false;
  }
  std::FILE* probe = std::fopen(partial_.c_str(), "wb");
  if (probe == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  std::fclose(probe);
  std::remove(partial_.c_str());
  return true;
}

bool MetricsFile::Write(std::string_view text, std::string& error) const {
  std::FILE* file = std::fopen(partial_.c_str(), "wb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  errno = 0;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  int code = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    error = code != 0 ? std::strerror(code) : "write error";
  } else if (!RenameOver(partial_, path_, error)) {
    ok = false;
  }
  if (!ok) std::remove(partial_.c_str());
  return ok;
}

}  // namespace tessaro::metrics
