#include "link/PathGuard.h"

#include <filesystem>
#include <system_error>

#include "link/PortNames.h"

namespace tessaro {

namespace fs = std::filesystem;

namespace {

// Where a path leads once its symbolic links are followed, whether the file
// at the end exists or not.
struct FileId {
  bool exists = false;
  bool regular = false;
  fs::path where;
};

FileId Identify(const std::string& name) {
  std::error_code ec;
  fs::path p = fs::absolute(name, ec);
  if (ec) p = name;
  // A dangling link still names the file an open would create.
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) break;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  FileId id;
  const fs::file_status status = fs::status(p, ec);
  id.exists = !ec && fs::exists(status);
  id.regular = id.exists && fs::is_regular_file(status);
  const fs::path canonical = fs::weakly_canonical(p, ec);
  id.where = (ec ? p : canonical).lexically_normal();
  return id;
}

bool SameFile(const FileId& a, const FileId& b) {
  if (a.exists != b.exists) return false;
  // The library compares devices and pipes by no identity: by their
  // resolved names then.
  if (!a.exists || !a.regular || !b.regular) return a.where == b.where;
  std::error_code ec;
  return fs::equivalent(a.where, b.where, ec) && !ec;
}

// The device a port name opens.
std::string PortPath(const std::string& name) {
  char path[512];
  return ResolvePortName(name.c_str(), path, sizeof path) ? std::string(path) : name;
}

}  // namespace

bool PathsAreDistinct(const std::vector<NamedPath>& paths, std::string& error) {
  using Role = NamedPath::Role;
  std::vector<FileId> ids;
  ids.reserve(paths.size());
  for (const NamedPath& p : paths) {
    ids.push_back(p.path.empty() ? FileId{}
                                 : Identify(p.role == Role::kPort ? PortPath(p.path) : p.path));
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    for (std::size_t j = i + 1; j < paths.size(); ++j) {
      const NamedPath& a = paths[i];
      const NamedPath& b = paths[j];
      if (a.path.empty() || b.path.empty()) continue;
      if (a.role != Role::kOutput && b.role != Role::kOutput) continue;
      const bool bothOutputs = a.role == Role::kOutput && b.role == Role::kOutput;
      if (bothOutputs && ids[i].exists && !ids[i].regular) continue;
      if (!SameFile(ids[i], ids[j])) continue;
      error = a.option + " and " + b.option + " name the same file: " + b.path;
      return false;
    }
  }
  return true;
}

}  // namespace tessaro
