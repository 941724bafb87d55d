#pragma once

#include <string>
#include <vector>

namespace tessaro {

// A file named on the command line and what the program does with it.
struct NamedPath {
  enum class Role { kInput, kOutput, kPort };
  std::string option;  // "--trace", "IMAGE", "--port"
  std::string path;    // empty: not given
  Role role = Role::kInput;
};

// Refuses an output that names the same file as an input, the port or
// another output, compared as the file system sees them (device and inode,
// symbolic links followed, a link to a file not created yet included), so
// that no run overwrites its own firmware image or device.  Two outputs may
// share a device that is no regular file (/dev/null).  "COM1".."COM6" are
// compared as the device they open.  false with `error`:
// "--trace and IMAGE name the same file: fw.abo".
bool PathsAreDistinct(const std::vector<NamedPath>& paths, std::string& error);

}  // namespace tessaro
