#pragma once

#include <string>

namespace tessaro {

// The window's command line.  The program itself takes none; these exist for
// the tests and the headless demo.
struct ProgramOptions {
  bool showAbout = true;    // --no-about skips the About box at start
  bool help = false;        // --help
  bool version = false;     // --version
  std::string demoDir;      // --demo DIR: run the demo, save screenshots in DIR
  int demoTestSeconds = 4;  // --demo-test-seconds N: length of the ACTIVE test
  std::string tracePath;    // --trace FILE: record the line in FILE
  std::string error;        // set when the line cannot be understood
};

// Parses the whole command line (argv[0] first) before Qt starts, so that
// --help, --version and a bad option are answered without a display.  Qt's
// own options (-platform NAME, -style=NAME, -reverse, ...) are passed over and
// left for QApplication.
ProgramOptions ParseProgramOptions(int argc, const char* const* argv);

const char* ProgramUsage();

// "tessaro <version>".
const char* ProgramVersion();

}  // namespace tessaro
