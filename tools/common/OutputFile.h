#pragma once

#include <string>

namespace tessaro::cli {

// Output files of the command-line programs are written to a temporary file
// beside the real one and renamed over it at the end, so that a run that
// fails, or a full disk, leaves an earlier file as it was.  A path that is
// not a regular file (a device, a pipe) is written directly.

// Whether `path` is a regular file or names none yet: renaming over a
// device or a pipe would replace it rather than write to it.
bool ReplacedByRename(const std::string& path);

// The file a symbolic link names is the one replaced, not the link.
std::string Resolved(const std::string& path);

// The temporary file written before the rename.
std::string PartialPath(const std::string& path);

}  // namespace tessaro::cli
