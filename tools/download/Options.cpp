#include "tools/download/Options.h"

#include <charconv>
#include <cstring>
#include <vector>

#include "core/Version.h"
#include "link/PathGuard.h"
#include "link/PortSettings.h"
#include "tools/common/CommandLine.h"

namespace tessaro::cli {

namespace {

bool WholeNumber(const char* text, int low, int high, int& out) {
  const char* end = text + std::strlen(text);
  int value = 0;
  const auto [stop, ec] = std::from_chars(text, end, value);
  if (text == end || *text == '-' || *text == '+' || ec != std::errc() || stop != end) return false;
  if (value < low || value > high) return false;
  out = value;
  return true;
}

}  // namespace

const char* DownloadVersionText() {
  return "tessaro-download " TESSARO_VERSION "\n";
}

const char* DownloadUsageText() {
  return "Usage: tessaro-download --port NAME [--baud N] [--base N] [--wait N] [--trace FILE] "
         "IMAGE\n"
         "       tessaro-download --check IMAGE\n"
         "\n"
         "Puts a new program image (an S-record file) into a base station, as the\n"
         "window's Download command does: the whole image is checked first; the base is\n"
         "told \"@UP\" over the session, the port is closed and opened again at the\n"
         "download's line settings (115200 bps, 8N1), and the loader's handshake and the\n"
         "acknowledged packets follow, with a progress bar on a terminal (plain lines\n"
         "otherwise).  Nothing is reopened afterwards.\n"
         "\n"
         "  --port NAME   COM1 .. COM6 (the device in $TESSARO_COMn, else /dev/ttyS0 ..\n"
         "                /dev/ttyS5), a device path such as /dev/ttyUSB0, or a port on\n"
         "                a serial device server: rfc2217://HOST:PORT, tcp://HOST:PORT\n"
         "  --baud N      the session's speed for finding the base and sending \"@UP\":\n"
         "                115200 (default), 57600, 38400, 19200, 9600, 4800 or 2400\n"
         "  --base N      the base to update, 1 .. 16 (default: the first present base)\n"
         "  --wait N      seconds to wait for the base to answer (default 5)\n"
         "  --check       only check the image and print what it holds (records, address\n"
         "                ranges, bytes, packets it would send); no port is opened\n"
         "  --trace FILE  record every byte on the line, and every open, close, setting\n"
         "                and hang-up, in FILE (see docs/traces.md)\n"
         "  --help        show this text\n"
         "  --version     show the version\n"
         "\n"
         "A failed attempt is not retried: the question the window asks is answered no,\n"
         "so that a script never hangs.  Run the program again to retry: when no base\n"
         "answers (one left in update mode by a failed or interrupted download), it\n"
         "goes to the loader's handshake itself.  Once \"@UP\" is out, SIGHUP and\n"
         "SIGPIPE do not end the download; SIGINT and SIGTERM stop it after the packet\n"
         "on the line.\n"
         "\n"
         "Exit status: 0 the image went through (or, with --check, it is sound),\n"
         "2 bad options (a trace naming the image or the port included), or the trace\n"
         "or the standard output cannot be written, 3 the image cannot be read or\n"
         "is refused (nothing is sent), 4 the port cannot be opened or set, 5 the base\n"
         "is not ready (no base and no loader answered, or the loader did not\n"
         "complete the handshake), 6 fault on downloading (the base refused a packet),\n"
         "7 time-out (a packet was not acknowledged) or the serial device went away,\n"
         "8 interrupted (SIGINT, SIGTERM), 9 the image went through but the trace\n"
         "could not be written in full.\n";
}

DownloadParse ParseDownloadOptions(int argc, const char* const* argv, DownloadOptions& options,
                                   std::string& error) {
  bool help = false;
  bool version = false;
  bool havePort = false;
  std::string baud;
  std::string base;
  std::string wait;
  std::vector<std::string> images;
  CommandLine line;
  line.Flag("-h,--help", help);
  line.Flag("--version", version);
  line.Flag("--check", options.checkOnly);
  line.Value("--port", options.port, &havePort);
  line.Value("--baud", baud);
  line.Value("--base", base);
  line.Value("--wait", wait);
  line.Value("--trace", options.tracePath);
  line.Positionals(images);
  const CommandLine::Error wrong = line.Parse(argc, argv);
  if (wrong.kind == CommandLine::Error::Kind::kNoValue) {
    error = wrong.option + " needs a value";
    return DownloadParse::kError;
  }
  if (wrong.kind == CommandLine::Error::Kind::kFlagValue) {
    error = wrong.option + " takes no value";
    return DownloadParse::kError;
  }
  if (help) return DownloadParse::kHelp;
  if (version) return DownloadParse::kVersion;
  if (wrong.kind == CommandLine::Error::Kind::kUnknown) {
    error = "unknown option: " + wrong.option;
    return DownloadParse::kError;
  }
  if (havePort && options.port.empty()) {
    error = "--port needs a port name";
    return DownloadParse::kError;
  }
  if (!baud.empty()) {
    options.baudRow = BaudRowOf(baud.c_str());
    if (options.baudRow < 0) {
      error = "--baud: not one of 115200 57600 38400 19200 9600 4800 2400: " + baud;
      return DownloadParse::kError;
    }
  }
  if (!base.empty() && !WholeNumber(base.c_str(), 1, 16, options.base)) {
    error = "--base: not a base number from 1 to 16: " + base;
    return DownloadParse::kError;
  }
  if (!wait.empty() && !WholeNumber(wait.c_str(), 1, 3600, options.discoverySeconds)) {
    error = "--wait: not a whole number of seconds from 1 to 3600: " + wait;
    return DownloadParse::kError;
  }
  if (images.size() > 1) {
    error = "only one image, please: " + images[1];
    return DownloadParse::kError;
  }
  if (images.empty() || images.front().empty()) {
    error = "IMAGE is required";
    return DownloadParse::kError;
  }
  options.image = images.front();
  if (!havePort && !options.checkOnly) {
    error = "--port NAME is required";
    return DownloadParse::kError;
  }
  // The trace must never overwrite the image or the device.
  using Role = NamedPath::Role;
  if (!PathsAreDistinct({{"IMAGE", options.image, Role::kInput},
                         {"--port", options.checkOnly ? "" : options.port, Role::kPort},
                         {"--trace", options.tracePath, Role::kOutput}},
                        error)) {
    return DownloadParse::kError;
  }
  return DownloadParse::kRun;
}

}  // namespace tessaro::cli
