#pragma once

#include <string>

namespace tessaro {

// `path` (in the program's code page) for the wide-character calls.
std::wstring WidePath(const std::string& path);

// Moves `partial` over `path`: an empty text, or why it could not; the
// partial file is gone either way.
std::string ReplaceWith(const std::string& partial, const std::string& path);

// Writes `text` to `path` through a partial file beside it: a failed write
// leaves an earlier file whole.  An empty text, or why it could not.
std::string WriteWholeFile(const std::string& path, const std::string& text);

// The system's text for error `code`, without its line end.
std::string SystemMessage(unsigned long code);

}  // namespace tessaro
