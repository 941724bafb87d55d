#include "app/front/WindowOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/Version.h"
#include "link/PortSettings.h"
#include "resources/RfMenu.h"

namespace tessaro {

namespace {

struct NamedCommand {
  const char* name;
  int id;
};

constexpr NamedCommand kDialogCommands[] = {
    {"comm", kCmdCommProperties},
    {"base-id", kCmdBaseId},
    {"base-properties", kCmdBaseProperties},
    {"criteria", kCmdTestingCriteria},
    {"about", kCmdAbout},
};

// What an option with its value missing or empty is told.
struct ValueNeeded {
  const char* option;
  const char* text;
};

constexpr ValueNeeded kValueNeeded[] = {
    {"--port", "--port needs one of COM1 .. COM6"},
    {"--trace", "--trace needs a file for the line trace"},
    {"--demo", "--demo needs a directory for the screenshots"},
    {"--demo-test-seconds", "--demo-test-seconds needs a number of seconds from 1 to 3600"},
    {"--dialog", "--dialog needs a dialog name"},
    {"--download", "--download needs an image file"},
    {"--statistics", "--statistics needs a file for the table"},
};

const char* ValueNeededText(std::string_view option) {
  for (const ValueNeeded& v : kValueNeeded) {
    if (option == v.option) return v.text;
  }
  return "";
}

// "NAME[:ID=TEXT,...]"; false with `error` set when it does not parse.
bool ParseDialog(const std::string& text, ScriptedDialog& dialog, std::string& error) {
  const std::size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  for (const NamedCommand& command : kDialogCommands) {
    if (name == command.name) dialog.command = command.id;
  }
  if (dialog.command == 0) {
    error = "--dialog: unknown dialog \"" + name +
            "\" (comm, base-id, base-properties, criteria, about)";
    return false;
  }
  if (colon == std::string::npos) return true;
  std::size_t at = colon + 1;
  while (at <= text.size()) {
    std::size_t end = text.find(',', at);
    if (end == std::string::npos) end = text.size();
    const std::string pair = text.substr(at, end - at);
    const std::size_t equals = pair.find('=');
    char* idEnd = nullptr;
    const long id = equals == std::string::npos ? 0 : std::strtol(pair.c_str(), &idEnd, 10);
    if (equals == std::string::npos || idEnd != pair.c_str() + equals || id <= 0 || id > 65535) {
      error = "--dialog: not CONTROL=TEXT: " + pair;
      return false;
    }
    dialog.values.emplace_back(static_cast<int>(id), pair.substr(equals + 1));
    at = end + 1;
  }
  return true;
}

// The row of COMn in the port list, or -1.
int PortRow(const std::string& name) {
  for (int row = 0; row < kPortCount; ++row) {
    const char* known = PortNameTable[row];
    if (name.size() == std::strlen(known) &&
        std::equal(name.begin(), name.end(), known, [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == b;
        })) {
      return row;
    }
  }
  return -1;
}

// The values as given, checked and turned into options.
struct Given {
  std::string port;
  std::string seconds;
  std::vector<std::string> dialogs;
};

std::string Check(const CLI::App& app, const Given& given, WindowOptions& options) {
  for (const ValueNeeded& v : kValueNeeded) {
    const CLI::Option* option = app.get_option_no_throw(v.option);
    if (option == nullptr || option->count() == 0) continue;
    for (const std::string& value : option->results()) {
      if (value.empty()) return v.text;
    }
  }
  if (!given.port.empty() && (options.portRow = PortRow(given.port)) < 0) {
    return ValueNeededText("--port");
  }
  if (!given.seconds.empty()) {
    char* end = nullptr;
    const long n = std::strtol(given.seconds.c_str(), &end, 10);
    if (*end != 0 || n < 1 || n > 3600) return ValueNeededText("--demo-test-seconds");
    options.demoTestSeconds = static_cast<int>(n);
  }
  for (const std::string& text : given.dialogs) {
    ScriptedDialog dialog;
    std::string error;
    if (!ParseDialog(text, dialog, error)) return error;
    options.dialogs.push_back(dialog);
  }
  if (!options.demoDir.empty()) options.showAbout = false;
  if (options.demoDir.empty() && (!options.dialogs.empty() || !options.downloadImage.empty() ||
                                  !options.statisticsTable.empty())) {
    return "--dialog, --download and --statistics belong to a --demo run";
  }
  return {};
}

}  // namespace

WindowOptions ParseWindowOptions(int argc, const char* const* argv,
                                 const ToolkitOptionLength& toolkitOption) {
  WindowOptions options;
  // CLI11 takes the arguments last first.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const int length = toolkitOption ? toolkitOption(argv[i]) : 0;
    if (length == 0) {
      args.emplace_back(argv[i]);
    } else if (i + length > argc) {
      options.error = std::string(argv[i]) + " needs a value";
      return options;
    } else {
      i += length - 1;
    }
  }
  std::reverse(args.begin(), args.end());

  CLI::App app;
  app.set_help_flag();
  app.allow_extras();
  bool noAbout = false;
  Given given;
  app.add_flag("-h,--help", options.help);
  app.add_flag("--version", options.version);
  app.add_flag("--no-about", noAbout);
  const auto last = CLI::MultiOptionPolicy::TakeLast;
  app.add_option("--port", given.port)->multi_option_policy(last);
  app.add_option("--trace", options.tracePath)->multi_option_policy(last);
  app.add_option("--demo", options.demoDir)->multi_option_policy(last);
  app.add_option("--demo-test-seconds", given.seconds)->multi_option_policy(last);
  app.add_option("--dialog", given.dialogs);
  app.add_option("--download", options.downloadImage)->multi_option_policy(last);
  app.add_option("--statistics", options.statisticsTable)->multi_option_policy(last);
  try {
    app.parse(args);
  } catch (const CLI::ParseError& e) {
    // "--demo: 1 required TEXT missing" and the like.
    const std::string what = e.what();
    options.error = ValueNeededText(what.substr(0, what.find(':')));
    if (options.error.empty()) options.error = what;
    return options;
  }
  if (!app.remaining().empty()) {
    options.error = "unknown option: " + app.remaining().front();
    return options;
  }
  options.showAbout = !noAbout;
  options.error = Check(app, given, options);
  return options;
}

std::string WindowUsage(std::string_view toolkitNote) {
  std::string usage =
      "Usage: tessaro [--port COMn] [--no-about] [--trace FILE]\n"
      "       tessaro --demo DIR [--demo-test-seconds N] [--statistics FILE]\n"
      "                      [--dialog NAME[:ID=TEXT,...]]... [--download FILE]\n"
      "\n"
      "The operator's window of the RF network.  Port COMn opens the device named\n"
      "by the environment variable TESSARO_COMn when it is set.\n"
      "\n"
      "  --port COMn              the port the window starts with (COM1 .. COM6);\n"
      "                           RF Link > Open opens it\n"
      "  --no-about               do not show the About box at start\n"
      "  --trace FILE             record every byte on the line, and every open,\n"
      "                           close, setting and hang-up, in FILE\n"
      "  --demo DIR               open the port, wait for the network, run an ACTIVE\n"
      "                           test, save screenshots in DIR and quit\n"
      "  --demo-test-seconds N    length of the demo's test (default 4)\n"
      "  --statistics FILE        after the test, open Testing Statistics, export its\n"
      "                           table to FILE and save its plot in DIR as\n"
      "                           statistics-plot.png\n"
      "  --dialog NAME[:ID=TEXT,...]\n"
      "                           after the test, open a dialog (comm, base-id,\n"
      "                           base-properties, criteria, about), set control ID to\n"
      "                           TEXT (a list entry or a box's text) and press OK;\n"
      "                           a port chosen there is opened before going on\n"
      "  --download FILE          then download FILE to the base, without the file\n"
      "                           dialog, answering every box (No to a retry)\n"
      "  --help                   show this text\n"
      "  --version                show the version\n"
      "\n"
      "Options take their value as the next argument or after \"=\".\n"
      "A demo prints each message box as: box \"CAPTION\": TEXT\n"
      "Exit status: 0, 1 when a demo fails, 2 for a bad option.\n";
  if (!toolkitNote.empty()) {
    usage += "\n";
    usage += toolkitNote;
  }
  return usage;
}

const char* WindowVersion() {
  return "tessaro " TESSARO_VERSION "\n";
}

}  // namespace tessaro
