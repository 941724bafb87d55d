#include "tools/linktest/ResultFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

namespace tessaro::cli {

namespace fs = std::filesystem;

namespace {

using Writer = std::function<bool(std::FILE*)>;

// Only a regular file (or a new one) is replaced by renaming: renaming over
// /dev/full or a named pipe would replace the device, not write to it.
bool ReplacedByRename(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  return !fs::exists(status) || fs::is_regular_file(status);
}

// The file a symbolic link names is the one replaced, not the link.
std::string Resolved(const std::string& path) {
  std::error_code ec;
  const fs::path real = fs::canonical(path, ec);
  return ec ? path : real.string();
}

void Complain(std::FILE* err, const std::string& path, int error) {
  std::fprintf(err, "tessaro-linktest: cannot write %s: %s\n", path.c_str(),
               error != 0 ? std::strerror(error) : "write error");
}

bool CheckOne(const std::string& path, std::FILE* err) {
  if (path.empty()) return true;
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    Complain(err, path, EISDIR);
    return false;
  }
  // A device or pipe is opened when the results are written.
  if (!ReplacedByRename(path)) return true;
  // The temporary file is what will be written: the directory must take it.
  const std::string partial = PartialPath(Resolved(path));
  std::FILE* probe = std::fopen(partial.c_str(), "wb");
  if (probe == nullptr) {
    Complain(err, path, errno);
    return false;
  }
  std::fclose(probe);
  std::remove(partial.c_str());
  return true;
}

bool WriteOne(const std::string& path, const Writer& write, std::FILE* err) {
  if (path.empty()) return true;
  const bool rename = ReplacedByRename(path);
  const std::string real = Resolved(path);
  const std::string target = rename ? PartialPath(real) : path;
  errno = 0;
  std::FILE* file = std::fopen(target.c_str(), "wb");
  if (file == nullptr) {
    Complain(err, path, errno);
    return false;
  }
  errno = 0;
  bool ok = write(file);
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename) {
    std::error_code ec;
    // Keeps the mode of the file it replaces.
    const fs::perms perms = fs::status(real, ec).permissions();
    if (!ec && perms != fs::perms::unknown) fs::permissions(target, perms, ec);
    fs::rename(target, real, ec);
    if (ec) {
      ok = false;
      error = ec.value();
    }
  }
  if (!ok) {
    if (rename) std::remove(target.c_str());
    Complain(err, path, error);
  }
  return ok;
}

}  // namespace

std::string PartialPath(const std::string& path) {
  return path + ".partial";
}

bool CheckResultFiles(const LinkTestOptions& o, std::FILE* err) {
  return CheckOne(o.jsonPath, err) && CheckOne(o.csvPath, err) && CheckOne(o.seriesPath, err);
}

bool WriteResultFiles(const LinkTestOptions& o, const Results& results, const SeriesLog& series,
                      std::FILE* err) {
  bool ok = WriteOne(
      o.jsonPath, [&](std::FILE* f) { return WriteJson(f, results); }, err);
  ok = WriteOne(
           o.csvPath, [&](std::FILE* f) { return WriteCsv(f, results); }, err) &&
       ok;
  ok = WriteOne(
           o.seriesPath, [&](std::FILE* f) { return series.WriteCsv(f); }, err) &&
       ok;
  return ok;
}

}  // namespace tessaro::cli
