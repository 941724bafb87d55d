#pragma once

#include <string>

namespace tessaro::cli {

// What `tessaro-linktest` was asked to do.
struct LinkTestOptions {
  std::string port;          // "COM1".."COM6" or a device path
  int seconds = 10;          // length of the test; 0: until SIGINT or SIGTERM
  bool passive = false;      // PASSIVE mode instead of ACTIVE
  std::string jsonPath;      // empty: no JSON file
  std::string csvPath;       // empty: no CSV file
  std::string seriesPath;    // empty: no per-second series
  int discoverySeconds = 5;  // how long to wait for the bases and their terminals
  int intervalSeconds = 1;   // live table period when stdout is not a terminal; 0: none
  std::string tracePath;     // empty: no line trace
  int baudRow = 0;           // row of the baud table (115200)
  bool listPorts = false;    // list the machine's serial devices and stop
  bool reconnect = false;    // reopen the device when it comes back after a loss
  std::string metricsPath;   // empty: no metrics file
  int metricsInterval = 15;  // seconds between rewrites of the metrics file
  std::string site;          // the metrics' site label; empty: the host name
};

enum class ParseResult { kRun, kHelp, kVersion, kError };

// Reads the command line.  On kError `error` says what is wrong.
ParseResult ParseOptions(int argc, const char* const* argv, LinkTestOptions& options,
                         std::string& error);

// The text `--help` prints.
const char* UsageText();

// The line `--version` prints: "tessaro-linktest <version>".
const char* VersionText();

}  // namespace tessaro::cli
