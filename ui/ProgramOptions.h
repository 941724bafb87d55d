#pragma once

#include <string>

namespace tessaro {

// The window's command line.  The program itself takes none; these exist for
// the tests and the headless demo.
struct ProgramOptions {
  bool showAbout = true;    // --no-about skips the About box at start
  bool help = false;        // --help
  std::string demoDir;      // --demo DIR: run the demo, save screenshots in DIR
  int demoTestSeconds = 4;  // --demo-test-seconds N: length of the ACTIVE test
  std::string tracePath;    // --trace FILE: record the line in FILE
  std::string error;        // set when the line cannot be understood
};

// Parses the arguments Qt has left (argv[0] first).
ProgramOptions ParseProgramOptions(int argc, const char* const* argv);

const char* ProgramUsage();

}  // namespace tessaro
