#pragma once

#include <string>
#include <vector>

namespace tessaro {

// One dialog a scripted run opens: the menu command, the controls to set
// (control id and the text to show: an entry of a drop-down list or the text
// of a box) before OK.
struct ScriptedDialog {
  int command = 0;
  std::vector<std::pair<int, std::string>> values;
};

// The window's command line.
struct Win32Options {
  bool showAbout = true;                // --no-about
  bool help = false;                    // --help
  int portRow = -1;                     // --port COMn: the row the port dialog opens with
  std::string demoDir;                  // --demo DIR
  int demoTestSeconds = 4;              // --demo-test-seconds N
  std::vector<ScriptedDialog> dialogs;  // --dialog NAME[:ID=TEXT,...]
  std::string downloadImage;            // --download FILE
  std::string error;                    // set when the line cannot be understood
};

Win32Options ParseWin32Options(int argc, const char* const* argv);

const char* Win32Usage();

}  // namespace tessaro
