#include "win32/Options.h"

#include <cstdlib>
#include <cstring>

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

}  // namespace

Win32Options ParseWin32Options(int argc, const char* const* argv) {
  Win32Options options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options.help = true;
    } else if (std::strcmp(arg, "--no-about") == 0) {
      options.showAbout = false;
    } else if (std::strcmp(arg, "--port") == 0) {
      for (int row = 0; value != nullptr && row < kPortCount; ++row) {
        if (_stricmp(value, PortNameTable[row]) == 0) options.portRow = row;
      }
      if (options.portRow < 0) {
        options.error = "--port needs one of COM1 .. COM6";
        return options;
      }
      ++i;
    } else if (std::strcmp(arg, "--demo") == 0) {
      if (value == nullptr || value[0] == 0) {
        options.error = "--demo needs a directory for the screenshots";
        return options;
      }
      options.demoDir = value;
      options.showAbout = false;
      ++i;
    } else if (std::strcmp(arg, "--demo-test-seconds") == 0) {
      char* end = nullptr;
      const long n = value != nullptr ? std::strtol(value, &end, 10) : -1;
      if (end == nullptr || *end != 0 || n < 1 || n > 3600) {
        options.error = "--demo-test-seconds needs a number of seconds from 1 to 3600";
        return options;
      }
      options.demoTestSeconds = static_cast<int>(n);
      ++i;
    } else if (std::strcmp(arg, "--dialog") == 0) {
      ScriptedDialog dialog;
      if (value == nullptr || !ParseDialog(value, dialog, options.error)) {
        if (options.error.empty()) options.error = "--dialog needs a dialog name";
        return options;
      }
      options.dialogs.push_back(dialog);
      ++i;
    } else if (std::strcmp(arg, "--download") == 0) {
      if (value == nullptr || value[0] == 0) {
        options.error = "--download needs an image file";
        return options;
      }
      options.downloadImage = value;
      ++i;
    } else {
      options.error = std::string("unknown option: ") + arg;
      return options;
    }
  }
  if (options.demoDir.empty() && (!options.dialogs.empty() || !options.downloadImage.empty())) {
    options.error = "--dialog and --download belong to a --demo run";
  }
  return options;
}

const char* Win32Usage() {
  return "Usage: tessaro [--port COMn] [--no-about]\n"
         "       tessaro --demo DIR [--demo-test-seconds N] [--dialog NAME[:ID=TEXT,...]]... "
         "[--download FILE]\n"
         "\n"
         "The operator's window of the RF network.\n"
         "\n"
         "  --port COMn              the port the COM Port Properties dialog offers first\n"
         "                           (COM1 .. COM6); RF Link > Open opens it\n"
         "  --no-about               do not show the About box at start\n"
         "  --demo DIR               open the port, wait for the network, run an ACTIVE\n"
         "                           test, save screenshots (BMP) in DIR and quit\n"
         "  --demo-test-seconds N    length of the demo's test (default 4)\n"
         "  --dialog NAME[:ID=TEXT,...]\n"
         "                           after the test, open a dialog (comm, base-id,\n"
         "                           base-properties, criteria, about), set control ID to\n"
         "                           TEXT (a list entry or a box's text) and press OK\n"
         "  --download FILE          then download FILE to the base, without the file\n"
         "                           dialog, answering every box (No to a retry)\n"
         "  --help                   show this text\n"
         "\n"
         "A demo prints each message box as: box \"CAPTION\": TEXT\n"
         "Exit status: 0, 1 when a demo fails, 2 for a bad option.\n";
}

}  // namespace tessaro
