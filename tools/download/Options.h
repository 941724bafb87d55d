#pragma once

#include <string>

namespace tessaro::cli {

// What `tessaro-download` was asked to do.
struct DownloadOptions {
  std::string port;          // "COM1".."COM6" or a device path
  std::string image;         // the S-record file
  int baudRow = 0;           // the session's row of the baud table (the "@UP" line)
  int base = 0;              // 0: the first present base
  int discoverySeconds = 5;  // how long to wait for the base
  bool checkOnly = false;    // --check: look at the image, send nothing
  std::string tracePath;     // empty: no line trace
};

enum class DownloadParse { kRun, kHelp, kVersion, kError };

// Reads the command line.  On kError `error` says what is wrong.
DownloadParse ParseDownloadOptions(int argc, const char* const* argv, DownloadOptions& options,
                                   std::string& error);

// The text `--help` prints.
const char* DownloadUsageText();

// The line `--version` prints: "tessaro-download <version>".
const char* DownloadVersionText();

}  // namespace tessaro::cli
