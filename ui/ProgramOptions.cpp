#include "ui/ProgramOptions.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/Version.h"

namespace tessaro {

namespace {

// Qt's own command-line options, which QApplication takes out of the list
// itself; those in the first list take a value as the next argument (or after
// "=").  Qt accepts them with one dash or two.
constexpr std::string_view kQtOptionsWithValue[] = {"platform",
                                                    "platformpluginpath",
                                                    "platformtheme",
                                                    "plugin",
                                                    "qwindowgeometry",
                                                    "geometry",
                                                    "qwindowtitle",
                                                    "title",
                                                    "qwindowicon",
                                                    "icon",
                                                    "session",
                                                    "style",
                                                    "stylesheet",
                                                    "display",
                                                    "name",
                                                    "visual",
                                                    "ncols",
                                                    "cmap",
                                                    "im",
                                                    "inputstyle"};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount", "nograb",       "dograb",
                                         "sync",    "testability", "qmljsdebugger"};

// How many arguments a Qt option at argv[i] takes up (1 or 2), or 0 when it is
// not one of Qt's.
int QtOptionLength(std::string_view arg) {
  if (arg.size() < 2 || arg[0] != '-') return 0;
  arg.remove_prefix(arg[1] == '-' ? 2 : 1);
  const auto eq = arg.find('=');
  const std::string_view name = arg.substr(0, eq);
  for (std::string_view flag : kQtFlags) {
    if (name == flag) return 1;
  }
  for (std::string_view option : kQtOptionsWithValue) {
    if (name == option) return eq == std::string_view::npos ? 2 : 1;
  }
  return 0;
}

}  // namespace

ProgramOptions ParseProgramOptions(int argc, const char* const* argv) {
  ProgramOptions options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options.help = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      options.version = true;
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
    } else if (const int length = QtOptionLength(arg); length > 0) {
      if (i + length > argc) {
        options.error = std::string(arg) + " needs a value";
        return options;
      }
      i += length - 1;
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
         "  --help                   show this text\n"
         "  --version                show the version\n"
         "\n"
         "Qt's own options (-platform NAME, -style NAME, ...) are accepted as well.\n";
}

const char* ProgramVersion() {
  return "tessaro " TESSARO_VERSION "\n";
}

}  // namespace tessaro
