#include "ui/ProgramOptions.h"

#include <cstdlib>
#include <cstring>

namespace tessaro {

ProgramOptions ParseProgramOptions(int argc, const char* const* argv) {
  ProgramOptions options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options.help = true;
    } else if (std::strcmp(arg, "--no-about") == 0) {
      options.showAbout = false;
    } else if (std::strcmp(arg, "--demo") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == 0) {
        options.error = "--demo needs a directory for the screenshots";
        return options;
      }
      options.demoDir = argv[++i];
      options.showAbout = false;
    } else if (std::strcmp(arg, "--demo-test-seconds") == 0) {
      char* end = nullptr;
      const long n = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : -1;
      if (end == nullptr || *end != 0 || n < 1 || n > 3600) {
        options.error = "--demo-test-seconds needs a number of seconds from 1 to 3600";
        return options;
      }
      options.demoTestSeconds = static_cast<int>(n);
      ++i;
    } else if (std::strcmp(arg, "--trace") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == 0) {
        options.error = "--trace needs a file for the line trace";
        return options;
      }
      options.tracePath = argv[++i];
    } else {
      options.error = std::string("unknown option: ") + arg;
      return options;
    }
  }
  return options;
}

const char* ProgramUsage() {
  return "Usage: tessaro [--no-about] [--demo DIR [--demo-test-seconds N]]\n"
         "\n"
         "The operator's window of the RF network.  Port COMn opens the device named\n"
         "by the environment variable TESSARO_COMn when it is set.\n"
         "\n"
         "  --no-about               do not show the About box at start\n"
         "  --demo DIR               open COM1, wait for the network, run an ACTIVE\n"
         "                           test, save screenshots in DIR and quit\n"
         "  --demo-test-seconds N    length of the demo's test (default 4)\n"
         "  --trace FILE             record every byte on the line, and every open,\n"
         "                           close, setting and hang-up, in FILE\n"
         "  --help                   show this text\n";
}

}  // namespace tessaro
