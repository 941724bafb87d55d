#include "linktest/cli/Options.h"

#include "link/PortSettings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/Version.h"

namespace tessaro::cli {

namespace {

// A whole decimal number in [low, high]; nothing else is accepted.
bool ParseNumber(const char* text, long low, long high, int& out) {
  if (text == nullptr || *text == '\0') return false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
  }
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

// The file a path names once "." and ".." and symbolic links are resolved,
// whether it exists or not.
std::string SameFileKey(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return path;
  const std::filesystem::path key = std::filesystem::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal().string() : key.lexically_normal().string();
}

// Two outputs written to one file would mix into something neither reader
// can use.
bool OutputsAreDistinct(const LinkTestOptions& o, std::string& error) {
  const struct {
    const char* option;
    const std::string& path;
  } outputs[] = {{"--json", o.jsonPath}, {"--csv", o.csvPath}, {"--series", o.seriesPath}};
  for (std::size_t i = 0; i < std::size(outputs); ++i) {
    for (std::size_t j = i + 1; j < std::size(outputs); ++j) {
      if (outputs[i].path.empty() || outputs[j].path.empty()) continue;
      if (SameFileKey(outputs[i].path) != SameFileKey(outputs[j].path)) continue;
      error = std::string(outputs[i].option) + " and " + outputs[j].option +
              " name the same file: " + outputs[j].path;
      return false;
    }
  }
  return true;
}

}  // namespace

const char* UsageText() {
  return "Usage: tessaro-linktest --port NAME [--baud N] [--seconds N] [--passive] [--json "
         "FILE]\n"
         "                        [--csv FILE] [--series FILE] [--wait N] [--interval N]\n"
         "                        [--trace FILE] [--reconnect]\n"
         "       tessaro-linktest --list-ports\n"
         "\n"
         "Runs the RF link test through the base station on a serial port and reports,\n"
         "for every terminal, the counters of the topology view and the loss in percent.\n"
         "\n"
         "  --port NAME      COM1 .. COM6 (the device in $TESSARO_COMn, else /dev/ttyS0 ..\n"
         "                   /dev/ttyS5) or a device path such as /dev/ttyUSB0 or\n"
         "                   /dev/serial/by-id/usb-... (see --list-ports)\n"
         "  --baud N         the line's speed: 115200 (default) 57600 38400 19200 9600\n"
         "                   4800 2400\n"
         "  --list-ports     list the machine's serial devices with what identifies them\n"
         "                   (USB maker, product, ids, serial number) and stop\n"
         "  --reconnect      when the device goes away, wait for it to come back under the\n"
         "                   same name, reopen it and go on; the gaps are in the results\n"
         "  --seconds N      length of the test in seconds (default 10)\n"
         "  --passive        PASSIVE mode: count and echo the data the terminals send on\n"
         "                   their own (RE, DP, NG, TM, AV) instead of sending test packets\n"
         "  --json FILE      write the results as JSON\n"
         "  --csv FILE       write the results as CSV, one row per base and terminal\n"
         "  --series FILE    write the per-second series as CSV: for each second and\n"
         "                   terminal, packets sent (PASSIVE: received), good, lost and\n"
         "                   the mean reply time\n"
         "  --wait N         seconds to wait for the bases and their terminals (default 5)\n"
         "  --interval N     when standard output is not a terminal, print the table every\n"
         "                   N seconds (default 1; 0 prints only the final results)\n"
         "  --trace FILE     record every byte on the line, and every open, close,\n"
         "                   setting and hang-up, in FILE (see docs/traces.md)\n"
         "  --help           show this text\n"
         "  --version        show the version\n"
         "\n"
         "The port is opened at 115200 bps (or --baud), 8 data bits, no parity, no flow\n"
         "control.\n"
         "In ACTIVE mode the test starts once the terminals are known and stops after N\n"
         "seconds; loss is NG / (OK + NG). In PASSIVE mode loss is NG / RE.\n"
         "TM is the last reply time in ms or, while a packet is still out, how long it\n"
         "has been out; AV is the mean reply time of the run. The counters wrap at\n"
         "99999 as on the window; LOSS%, the summary and the files use the true totals.\n"
         "MIN, MAX and DEV are the shortest and longest reply times and their standard\n"
         "deviation; RUN is the longest run of consecutive losses.\n"
         "Ctrl-C ends the test early; the results so far are still reported.\n"
         "Result files are written only when the test ran; a failed run leaves earlier\n"
         "files as they were.\n"
         "\n"
         "Exit status: 0 the test ran, 2 bad options, 3 the port cannot be opened,\n"
         "4 no base answered, 5 a result file, the trace or the standard output cannot be\n"
         "written, 6 the link was lost: the serial device went away (adapter pulled, far\n"
         "end closed the line) and was not back by the end; the results up to the loss\n"
         "are reported and written, marked \"link_lost\": true with the time.\n";
}

const char* VersionText() {
  return "tessaro-linktest " TESSARO_VERSION "\n";
}

ParseResult ParseOptions(int argc, const char* const* argv, LinkTestOptions& options,
                         std::string& error) {
  bool havePort = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    auto value = [&](const char*& out) {
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      return ParseResult::kHelp;
    } else if (std::strcmp(arg, "--version") == 0) {
      return ParseResult::kVersion;
    } else if (std::strcmp(arg, "--passive") == 0) {
      options.passive = true;
    } else if (std::strcmp(arg, "--list-ports") == 0) {
      options.listPorts = true;
    } else if (std::strcmp(arg, "--reconnect") == 0) {
      options.reconnect = true;
    } else if (std::strcmp(arg, "--baud") == 0) {
      if (!value(v)) return ParseResult::kError;
      options.baudRow = BaudRowOf(v);
      if (options.baudRow < 0) {
        error = std::string("--baud: not one of 115200 57600 38400 19200 9600 4800 2400: ") + v;
        return ParseResult::kError;
      }
    } else if (std::strcmp(arg, "--port") == 0) {
      if (!value(v)) return ParseResult::kError;
      if (*v == '\0') {
        error = "--port needs a port name";
        return ParseResult::kError;
      }
      options.port = v;
      havePort = true;
    } else if (std::strcmp(arg, "--seconds") == 0) {
      if (!value(v)) return ParseResult::kError;
      if (!ParseNumber(v, 1, 31536000, options.seconds)) {
        error = std::string("--seconds: not a whole number of seconds from 1 up: ") + v;
        return ParseResult::kError;
      }
    } else if (std::strcmp(arg, "--wait") == 0) {
      if (!value(v)) return ParseResult::kError;
      if (!ParseNumber(v, 1, 3600, options.discoverySeconds)) {
        error = std::string("--wait: not a whole number of seconds from 1 to 3600: ") + v;
        return ParseResult::kError;
      }
    } else if (std::strcmp(arg, "--interval") == 0) {
      if (!value(v)) return ParseResult::kError;
      if (!ParseNumber(v, 0, 86400, options.intervalSeconds)) {
        error = std::string("--interval: not a whole number of seconds: ") + v;
        return ParseResult::kError;
      }
    } else if (std::strcmp(arg, "--json") == 0) {
      if (!value(v)) return ParseResult::kError;
      options.jsonPath = v;
    } else if (std::strcmp(arg, "--trace") == 0) {
      if (!value(v)) return ParseResult::kError;
      options.tracePath = v;
    } else if (std::strcmp(arg, "--csv") == 0) {
      if (!value(v)) return ParseResult::kError;
      options.csvPath = v;
    } else if (std::strcmp(arg, "--series") == 0) {
      if (!value(v)) return ParseResult::kError;
      options.seriesPath = v;
    } else {
      error = std::string("unknown option: ") + arg;
      return ParseResult::kError;
    }
  }
  if (options.listPorts) return ParseResult::kRun;
  if (!havePort) {
    error = "--port NAME is required";
    return ParseResult::kError;
  }
  if (!OutputsAreDistinct(options, error)) return ParseResult::kError;
  return ParseResult::kRun;
}

}  // namespace tessaro::cli
