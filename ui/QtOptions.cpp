#include "ui/QtOptions.h"

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

}  // namespace

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

}  // namespace tessaro
