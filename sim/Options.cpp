#include "sim/Options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "link/PathGuard.h"
#include "link/PortSettings.h"
#include "sim/ScenarioFile.h"
#include "sim/TextNumbers.h"

namespace tessaro::sim {

namespace {

const char kUsage[] =
    "Usage: tessaro-basesim [options]\n"
    "\n"
    "Plays a base station and the radio network behind it on a pseudo-terminal\n"
    "(or a serial device).  Prints the path a PC opens as its serial port, one\n"
    "line, then reads console commands from standard input (type \"help\").\n"
    "\n"
    "Line:\n"
    "  --link PATH            also publish the pty's slave as the symlink PATH\n"
    "  --device PATH          talk on this serial device instead of a new pty\n"
    "  --pace                 deliver no faster than the line's baud rate\n"
    "  --baud RATE            the attached base's speed (115200 .. 1200; default 115200)\n"
    "  --noise RATE           bursts of stray bytes between messages, per second\n"
    "  --six-channel          send the lone \"1\" of six-channel mode before each\n"
    "                         base list; channels 1..6\n"
    "  --trace FILE           record every byte read and written on the line, the\n"
    "                         PC's opens and hang-ups and the speed (docs/traces.md)\n"
    "\n"
    "Network:\n"
    "  --scenario FILE        the network and its faults from a JSON file (see\n"
    "                         docs/simulator.md); the options below override it\n"
    "  --attached N           the base on the serial line (default: base 1)\n"
    "  --seed N               makes every random choice repeatable (default 1)\n"
    "\n"
    "Radio link (probabilities 0..1, per test packet):\n"
    "  --delay MS | MIN-MAX   echo delay in milliseconds, fixed or a random range\n"
    "                         (default 30-90)\n"
    "  --jitter MS            adds a normally distributed jitter with this standard\n"
    "                         deviation to every delay (never below 0)\n"
    "  --burst ENTER,LEAVE[,LOSS_GOOD,LOSS_BAD]\n"
    "                         bursty loss: each terminal's link turns bad with ENTER\n"
    "                         and good again with LEAVE per packet; a packet is lost\n"
    "                         with LOSS_GOOD (default 0) or LOSS_BAD (default 1)\n"
    "  --loss P               echo lost after the base's \"@OK\"\n"
    "  --corrupt P            echo comes back with one data character changed\n"
    "  --duplicate P          echo comes back twice\n"
    "  --ng-rate P            the base reports \"@NG\" and no echo follows\n"
    "  --wt-rate P            the base reports \"@WT\"; the echo still follows\n"
    "  --silent-loss P        neither report nor echo (stalls that terminal's test)\n"
    "  --passive-rate R       unsolicited \"@DT\" per second per terminal (PASSIVE mode)\n"
    "  --passive-length L     their data length, as the PC's (default 15)\n"
    "\n"
    "Loader (after \"@UP\"):\n"
    "  --loader-wake TEXT     answer to the lone CR (default ACK0; FN or FF: ready)\n"
    "  --loader-maker TEXT    answer to QUORVAN (default ACK1)\n"
    "  --loader-download TEXT answer to DOWNLOAD (default ACK2)\n"
    "  --loader-bad-checksum FN|FF  answer to a packet with a wrong length or checksum\n"
    "  --loader-silent        the loader answers nothing\n"
    "  --loader-silent-at K   no answer to data packet K (counted from 1 after \"@UP\")\n"
    "  --loader-fault-at K    \"FF\" to data packet K\n"
    "  --loader-fn-burst K:N  \"FN\" to N packets from packet K on\n"
    "  --loader-split         every answer in two writes\n"
    "  --loader-trailing-at K the answer to packet K has bytes after its CR\n"
    "  --image-out FILE       write each image received: S-records, or raw bytes\n"
    "                         when FILE ends in .bin\n"
    "\n"
    "Program:\n"
    "  --no-console           do not read commands from standard input\n"
    "  --quiet                print only the slave path and errors\n"
    "  --help                 this text\n"
    "  --version              the version\n"
    "\n"
    "Exit status: 0 after a normal end (SIGINT, SIGTERM or \"quit\"), 1 when the\n"
    "line cannot be opened, or the trace or a received image (--image-out) was not\n"
    "written in full, 2 for a bad option, scenario file or trace file.\n";

struct Flag {
  const char* name;
  bool takesValue;
  const char* valueHelp;  // what a bad value should have been
  std::function<bool(Options&, const std::string&)> apply;
};

bool Probability(const std::string& v, double& out) {
  return ParseDouble(v, 0.0, 1.0, out);
}

bool PacketNumber(const std::string& v, int& out) {
  long long n = 0;
  if (!ParseInt(v, 1, 1000000, n)) return false;
  out = static_cast<int>(n);
  return true;
}

// One row per option: a table, however long.
// NOLINTNEXTLINE(readability-function-size)
const std::vector<Flag>& Flags() {
  static const std::vector<Flag> flags = {
      {"--link", true, "a path",
       [](Options& o, const std::string& v) {
         o.endpoint.linkPath = v;
         return !v.empty();
       }},
      {"--device", true, "a device path",
       [](Options& o, const std::string& v) {
         o.endpoint.devicePath = v;
         return !v.empty();
       }},
      {"--pace", false, "",
       [](Options& o, const std::string&) {
         o.scenario.line.pace = true;
         return true;
       }},
      {"--baud", true, "one of 115200 57600 38400 19200 9600 4800 2400 1200",
       [](Options& o, const std::string& v) {
         long long rate = 0;
         if (!ParseInt(v, 1, 1000000, rate)) return false;
         for (int row = 0; row < kBaudCount; ++row) {
           if (BaudTable[row].rate == rate) o.baud = static_cast<int>(rate);
         }
         return o.baud == rate;
       }},
      {"--noise", true, "bursts per second 0..1000",
       [](Options& o, const std::string& v) {
         return ParseDouble(v, 0.0, 1000.0, o.scenario.line.noisePerSecond);
       }},
      {"--trace", true, "a file path",
       [](Options& o, const std::string& v) {
         o.trace = v;
         return !v.empty();
       }},
      {"--six-channel", false, "",
       [](Options& o, const std::string&) {
         o.scenario.line.sixChannel = true;
         return true;
       }},
      {"--scenario", true, "a JSON file",
       [](Options&, const std::string&) {
         return true;  // read before the other options
       }},
      {"--attached", true, "a base number 1..16",
       [](Options& o, const std::string& v) {
         long long n = 0;
         if (!ParseInt(v, 1, 16, n)) return false;
         o.scenario.attachedBase = static_cast<int>(n);
         return true;
       }},
      {"--seed", true, "a whole number 0 or more",
       [](Options& o, const std::string& v) { return ParseUnsigned(v, o.scenario.seed); }},
      {"--delay", true, "milliseconds MS or MIN-MAX (0..600000)",
       [](Options& o, const std::string& v) { return ParseDelay(v, o.scenario.delay); }},
      {"--jitter", true, "milliseconds 0..600000",
       [](Options& o, const std::string& v) {
         return ParseInt(v, 0, 600000, o.scenario.delay.jitterMs);
       }},
      {"--burst", true, "ENTER,LEAVE[,LOSS_GOOD,LOSS_BAD] probabilities 0..1, or off",
       [](Options& o, const std::string& v) { return ParseBurst(v, o.scenario.burst); }},
      {"--loss", true, "a probability 0..1",
       [](Options& o, const std::string& v) { return Probability(v, o.scenario.faults.echoLoss); }},
      {"--corrupt", true, "a probability 0..1",
       [](Options& o, const std::string& v) {
         return Probability(v, o.scenario.faults.echoCorruption);
       }},
      {"--duplicate", true, "a probability 0..1",
       [](Options& o, const std::string& v) {
         return Probability(v, o.scenario.faults.echoDuplicate);
       }},
      {"--ng-rate", true, "a probability 0..1",
       [](Options& o, const std::string& v) { return Probability(v, o.scenario.faults.ngRate); }},
      {"--wt-rate", true, "a probability 0..1",
       [](Options& o, const std::string& v) { return Probability(v, o.scenario.faults.wtRate); }},
      {"--silent-loss", true, "a probability 0..1",
       [](Options& o, const std::string& v) {
         return Probability(v, o.scenario.faults.silentLoss);
       }},
      {"--passive-rate", true, "messages per second 0..1000",
       [](Options& o, const std::string& v) {
         return ParseDouble(v, 0.0, 1000.0, o.scenario.passive.ratePerTerminal);
       }},
      {"--passive-length", true, "a data length 0..240",
       [](Options& o, const std::string& v) {
         long long n = 0;
         if (!ParseInt(v, 0, 240, n)) return false;
         o.scenario.passive.dataLength = static_cast<int>(n);
         return true;
       }},
      {"--loader-wake", true, "a text of at most 32 characters",
       [](Options& o, const std::string& v) {
         o.scenario.loader.wakeReply = v;
         return v.size() <= 32;
       }},
      {"--loader-maker", true, "a text of at most 32 characters",
       [](Options& o, const std::string& v) {
         o.scenario.loader.makerReply = v;
         return v.size() <= 32;
       }},
      {"--loader-download", true, "a text of at most 32 characters",
       [](Options& o, const std::string& v) {
         o.scenario.loader.downloadReply = v;
         return v.size() <= 32;
       }},
      {"--loader-bad-checksum", true, "FN or FF",
       [](Options& o, const std::string& v) {
         if (v != "FN" && v != "FF") return false;
         o.scenario.loader.badChecksum =
             v == "FF" ? LoaderConfig::Refusal::kFf : LoaderConfig::Refusal::kFn;
         return true;
       }},
      {"--loader-silent", false, "",
       [](Options& o, const std::string&) {
         o.scenario.loader.silent = true;
         return true;
       }},
      {"--loader-silent-at", true, "a packet number 1..1000000",
       [](Options& o, const std::string& v) {
         return PacketNumber(v, o.scenario.loader.silentAtPacket);
       }},
      {"--loader-fault-at", true, "a packet number 1..1000000",
       [](Options& o, const std::string& v) {
         return PacketNumber(v, o.scenario.loader.faultAtPacket);
       }},
      {"--loader-fn-burst", true, "K:N, packet number and count",
       [](Options& o, const std::string& v) {
         const auto colon = v.find(':');
         long long n = 0;
         return colon != std::string::npos &&
                PacketNumber(v.substr(0, colon), o.scenario.loader.fnBurstAtPacket) &&
                ParseInt(v.substr(colon + 1), 1, 1000000, n) &&
                (o.scenario.loader.fnBurstLength = static_cast<int>(n), true);
       }},
      {"--loader-split", false, "",
       [](Options& o, const std::string&) {
         o.scenario.loader.splitReplies = true;
         return true;
       }},
      {"--loader-trailing-at", true, "a packet number 1..1000000",
       [](Options& o, const std::string& v) {
         return PacketNumber(v, o.scenario.loader.trailingAtPacket);
       }},
      {"--image-out", true, "a file path",
       [](Options& o, const std::string& v) {
         o.imageOut = v;
         return !v.empty();
       }},
      {"--no-console", false, "",
       [](Options& o, const std::string&) {
         o.console = false;
         return true;
       }},
      {"--quiet", false, "",
       [](Options& o, const std::string&) {
         o.quiet = true;
         return true;
       }},
      {"--help", false, "",
       [](Options& o, const std::string&) {
         o.help = true;
         return true;
       }},
      {"--version", false, "",
       [](Options& o, const std::string&) {
         o.version = true;
         return true;
       }},
  };
  return flags;
}

// The image file is tried at start: once the PC has seen a download complete,
// the image must not be lost to a path that was never writable.  A file made
// only for the trial is removed again.
bool CanWriteImage(const std::string& path, std::string* why) {
  std::error_code ignored;
  const bool existed = std::filesystem::exists(path, ignored);
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    *why = "--image-out " + path + ": cannot be written: " + std::strerror(errno);
    return false;
  }
  std::fclose(file);
  if (!existed) std::remove(path.c_str());
  return true;
}

struct Given {
  const Flag* flag;
  std::string value;
};

}  // namespace

const char* UsageText() {
  return kUsage;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string* error) {
  const auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  // Split first, so the scenario file can be read before the options that override it.
  std::vector<Given> given;
  std::string scenarioFile;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool inlineValue = false;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      inlineValue = true;
    }
    const Flag* flag = nullptr;
    if (name == "-h") name = "--help";
    for (const Flag& f : Flags()) {
      if (name == f.name) flag = &f;
    }
    if (!flag) return fail("unknown option " + args[i] + " (see --help)");
    if (flag->takesValue && !inlineValue) {
      if (i + 1 >= args.size()) return fail(name + " needs a value: " + flag->valueHelp);
      value = args[++i];
    } else if (!flag->takesValue && inlineValue) {
      return fail(name + " takes no value");
    }
    if (name == "--scenario") scenarioFile = value;
    given.push_back({flag, value});
  }
  Options o;
  o.scenario = Scenario::Default();
  if (!scenarioFile.empty()) {
    std::string why;
    if (!LoadScenarioFile(scenarioFile, o.scenario, &why)) return fail(why);
    o.scenarioFile = scenarioFile;
  }
  for (const Given& g : given) {
    if (!g.flag->apply(o, g.value))
      return fail(std::string(g.flag->name) + " " + g.value + ": expected " + g.flag->valueHelp);
  }
  for (BaseSetup& b : o.scenario.bases) {
    for (int row = 0; row < kBaudCount && o.baud != 0; ++row) {
      if (b.number == o.scenario.attachedBase && BaudTable[row].rate == o.baud) b.baudIndex = row;
    }
  }
  if (!o.endpoint.devicePath.empty() && !o.endpoint.linkPath.empty())
    return fail("--link publishes a pty; it cannot be used with --device");
  std::string why;
  if (!o.help && !o.version && !o.scenario.Validate(&why)) return fail(why);
  // Neither recording may overwrite the scenario, the device or the other.
  using Role = NamedPath::Role;
  if (!PathsAreDistinct({{"--scenario", o.scenarioFile, Role::kInput},
                         {"--device", o.endpoint.devicePath, Role::kPort},
                         {"--trace", o.trace, Role::kOutput},
                         {"--image-out", o.imageOut, Role::kOutput}},
                        why))
    return fail(why);
  if (!o.help && !o.version && !o.imageOut.empty() && !CanWriteImage(o.imageOut, &why))
    return fail(why);
  options = o;
  return true;
}

}  // namespace tessaro::sim
