#include "tools/linktest/Options.h"

#include "link/PortSettings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/Version.h"
#include "link/PathGuard.h"
#include "tools/common/CommandLine.h"

namespace tessaro::cli {

namespace {

// The longest test: a year.
constexpr long kMaxSeconds = 31536000;

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

// One file written twice, or the port or an output overwritten by another
// output, would leave something neither reader can use.
bool OutputsAreDistinct(const LinkTestOptions& o, std::string& error) {
  using Role = NamedPath::Role;
  return PathsAreDistinct({{"--port", o.port, Role::kPort},
                           {"--trace", o.tracePath, Role::kOutput},
                           {"--json", o.jsonPath, Role::kOutput},
                           {"--csv", o.csvPath, Role::kOutput},
                           {"--series", o.seriesPath, Role::kOutput},
                           {"--metrics", o.metricsPath, Role::kOutput}},
                          error);
}

}  // namespace

const char* UsageText() {
  return "Usage: tessaro-linktest --port NAME [--baud N] [--seconds N] [--passive] [--json "
         "FILE]\n"
         "                        [--csv FILE] [--series FILE] [--wait N] [--interval N]\n"
         "                        [--trace FILE] [--reconnect] [--metrics FILE]\n"
         "                        [--metrics-interval N] [--site NAME]\n"
         "       tessaro-linktest --list-ports\n"
         "\n"
         "Runs the RF link test through the base station on a serial port and reports,\n"
         "for every terminal, the counters of the topology view and the loss in percent.\n"
         "\n"
         "  --port NAME      COM1 .. COM6 (the device in $TESSARO_COMn, else /dev/ttyS0 ..\n"
         "                   /dev/ttyS5) or a device path such as /dev/ttyUSB0 or\n"
         "                   /dev/serial/by-id/usb-... (see --list-ports), or a port on\n"
         "                   a serial device server: rfc2217://HOST:PORT, tcp://HOST:PORT\n"
         "  --baud N         the line's speed: 115200 (default) 57600 38400 19200 9600\n"
         "                   4800 2400\n"
         "  --list-ports     list the machine's serial devices with what identifies them\n"
         "                   (USB maker, product, ids, serial number) and stop\n"
         "  --reconnect      when the device goes away, wait for it to come back under the\n"
         "                   same name, reopen it and go on; the gaps are in the results\n"
         "  --seconds N      length of the test in seconds, 1 .. 31536000 (a year;\n"
         "                   default 10); 0 runs it until SIGINT or SIGTERM (Ctrl-C)\n"
         "                   ends it, then reports as usual\n"
         "  --passive        PASSIVE mode: count and echo the data the terminals send on\n"
         "                   their own (RE, DP, NG, TM, AV) instead of sending test packets\n"
         "  --json FILE      write the results as JSON\n"
         "  --csv FILE       write the results as CSV, one row per base and terminal\n"
         "  --series FILE    write the per-second series as CSV: for each second and\n"
         "                   terminal, packets sent (PASSIVE: received), good, lost, the\n"
         "                   mean reply time and the packets found unanswered\n"
         "  --metrics FILE   keep the link's figures in FILE for Prometheus (text format;\n"
         "                   name it *.prom in node exporter's or windows_exporter's\n"
         "                   textfile folder), replaced whole; see docs/metrics.md\n"
         "  --metrics-interval N  rewrite the metrics every N seconds, 1 .. 3600\n"
         "                   (default 15)\n"
         "  --site NAME      the metrics' site label (default: the host name)\n"
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
         "A packet that draws neither an echo nor a report within the time-out is\n"
         "never NG on the view and stalls that terminal's test; the summary, LOSS% and\n"
         "the files count it lost (\"unanswered\") and name the stalled terminals.\n"
         "Ctrl-C ends the test early; the results so far are still reported.\n"
         "Result files are written only when the test ran; a failed run leaves earlier\n"
         "files, and a run whose port never opened an earlier trace, as they were.\n"
         "Options take their value as --opt VALUE or --opt=VALUE.\n"
         "\n"
         "Exit status: 0 the test ran and every packet was settled, 2 bad options (or\n"
         "an output naming the port or another output), 3 the port cannot be opened,\n"
         "4 no base answered, 5 a result file, the trace or the standard output cannot\n"
         "be written, 6 the link was lost: the serial device went away (adapter pulled,\n"
         "far end closed the line) and was not back by the end; the results up to the\n"
         "loss are reported and written, marked \"link_lost\": true with the time,\n"
         "7 packets were left unanswered (a warning names the stalled terminals),\n"
         "8 no terminal was tested, 130 interrupted (Ctrl-C, SIGTERM, SIGHUP; the\n"
         "results so far are written, marked \"interrupted\": true).\n";
}

const char* VersionText() {
  return "tessaro-linktest " TESSARO_VERSION "\n";
}

ParseResult ParseOptions(int argc, const char* const* argv, LinkTestOptions& options,
                         std::string& error) {
  bool help = false;
  bool version = false;
  bool havePort = false;
  std::string baud;
  std::string seconds;
  std::string wait;
  std::string interval;
  std::string metricsInterval;
  CommandLine line;
  line.Flag("-h,--help", help);
  line.Flag("--version", version);
  line.Flag("--passive", options.passive);
  line.Flag("--list-ports", options.listPorts);
  line.Flag("--reconnect", options.reconnect);
  line.Value("--port", options.port, &havePort);
  line.Value("--baud", baud);
  line.Value("--seconds", seconds);
  line.Value("--wait", wait);
  line.Value("--interval", interval);
  line.Value("--json", options.jsonPath);
  line.Value("--trace", options.tracePath);
  line.Value("--csv", options.csvPath);
  line.Value("--series", options.seriesPath);
  line.Value("--metrics", options.metricsPath);
  line.Value("--metrics-interval", metricsInterval);
  line.Value("--site", options.site);
  const CommandLine::Error wrong = line.Parse(argc, argv);
  if (wrong.kind == CommandLine::Error::Kind::kNoValue) {
    error = wrong.option + " needs a value";
    return ParseResult::kError;
  }
  if (wrong.kind == CommandLine::Error::Kind::kFlagValue) {
    error = wrong.option + " takes no value";
    return ParseResult::kError;
  }
  if (help) return ParseResult::kHelp;
  if (version) return ParseResult::kVersion;
  if (wrong.kind == CommandLine::Error::Kind::kUnknown) {
    error = "unknown option: " + wrong.option;
    return ParseResult::kError;
  }
  if (!baud.empty()) {
    options.baudRow = BaudRowOf(baud.c_str());
    if (options.baudRow < 0) {
      error = "--baud: not one of 115200 57600 38400 19200 9600 4800 2400: " + baud;
      return ParseResult::kError;
    }
  }
  if (!seconds.empty() && !ParseNumber(seconds.c_str(), 0, kMaxSeconds, options.seconds)) {
    error = "--seconds: not a whole number of seconds from 0 (until stopped) to " +
            std::to_string(kMaxSeconds) + " (a year): " + seconds;
    return ParseResult::kError;
  }
  if (!wait.empty() && !ParseNumber(wait.c_str(), 1, 3600, options.discoverySeconds)) {
    error = "--wait: not a whole number of seconds from 1 to 3600: " + wait;
    return ParseResult::kError;
  }
  if (!interval.empty() && !ParseNumber(interval.c_str(), 0, 86400, options.intervalSeconds)) {
    error = "--interval: not a whole number of seconds: " + interval;
    return ParseResult::kError;
  }
  if (options.listPorts) return ParseResult::kRun;
  if (!havePort) {
    error = "--port NAME is required";
    return ParseResult::kError;
  }
  if (options.port.empty()) {
    error = "--port needs a port name";
    return ParseResult::kError;
  }
  if (!metricsInterval.empty() &&
      !ParseNumber(metricsInterval.c_str(), 1, 3600, options.metricsInterval)) {
    error = "--metrics-interval: not a whole number of seconds from 1 to 3600: " + metricsInterval;
    return ParseResult::kError;
  }
  if (!OutputsAreDistinct(options, error)) return ParseResult::kError;
  if (options.seconds == 0 && !options.seriesPath.empty()) {
    error = "--series keeps every second of the run in memory: give --seconds N with it";
    return ParseResult::kError;
  }
  return ParseResult::kRun;
}

}  // namespace tessaro::cli
