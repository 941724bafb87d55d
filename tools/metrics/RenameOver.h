#pragma once

#include <string>

namespace tessaro::metrics {

// Renames the file `from` to `to`, replacing `to` if it exists, as one step:
// a reader opening `to` meanwhile finds the old file or the new one, never
// neither and never a part.  `from` and `to` are in the same folder.  On
// failure returns false with the system's reason in `error`; `to` is as it
// was.  One file per platform.
bool RenameOver(const std::string& from, const std::string& to, std::string& error);

}  // namespace tessaro::metrics
