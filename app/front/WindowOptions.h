#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaro {

// One dialog a scripted run opens: the menu command, the controls to set
// (control id and the text to show: an entry of a drop-down list or the text
// of a box) before OK.
struct ScriptedDialog {
  int command = 0;
  std::vector<std::pair<int, std::string>> values;
};

// The window program's command line, the same in every toolkit.
struct WindowOptions {
  bool showAbout = true;                // --no-about skips the About box at start
  bool help = false;                    // --help
  bool version = false;                 // --version
  int portRow = -1;                     // --port COMn: the port the window starts with
  std::string tracePath;                // --trace FILE: record the line in FILE
  std::string demoDir;                  // --demo DIR: run the demo, save screenshots in DIR
  int demoTestSeconds = 4;              // --demo-test-seconds N: length of the ACTIVE test
  std::vector<ScriptedDialog> dialogs;  // --dialog NAME[:ID=TEXT,...]
  std::string downloadImage;            // --download FILE
  std::string statisticsTable;          // --statistics FILE: export the statistics there
  std::string error;                    // set when the line cannot be understood
};

// How many arguments an option of the toolkit's own at the front of `arg`
// takes up (1, or 2 with its value), 0 when it is none of the toolkit's.
using ToolkitOptionLength = std::function<int(std::string_view arg)>;

// Parses the whole command line (argv[0] first), before the toolkit starts,
// so that --help, --version and a bad option are answered without a
// display.  The toolkit's own options are passed over and left for it.
WindowOptions ParseWindowOptions(int argc, const char* const* argv,
                                 const ToolkitOptionLength& toolkitOption = {});

// The usage text; `toolkitNote` (may be empty) closes it.
std::string WindowUsage(std::string_view toolkitNote = {});

// "tessaro <version>".
const char* WindowVersion();

}  // namespace tessaro
