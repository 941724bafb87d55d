// tessaro-replay: shows what the tool makes of a recorded inbound byte stream.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/Version.h"
#include "tools/common/CommandLine.h"
#include "tools/replay/BinaryInput.h"
#include "tools/replay/Replay.h"
#include "tools/replay/TraceReplay.h"

namespace {

constexpr const char* kUsage =
    "Usage: tessaro-replay [options] [FILE]\n"
    "       tessaro-replay --trace TRACE [--image IMAGE] [--passive] [--running]\n"
    "\n"
    "Feeds a recorded inbound byte stream (FILE, or standard input when FILE is\n"
    "missing or \"-\") through the frame assembler and message dispatcher of a\n"
    "fresh Tessaro, with a port that records instead of sending, and prints in\n"
    "order:\n"
    "  <- MESSAGE     each complete message dispatched\n"
    "  -> COMMAND     each command the program would send\n"
    "  pane N: TEXT   each status-bar pane change\n"
    "then the registry (present bases with channel, group, power, mode, time-out\n"
    "and baud index; their terminals; highestBase) and the six-channel mode.\n"
    "Control bytes are escaped: \\r, \\n, \\xNN.\n"
    "\n"
    "Options:\n"
    "  --passive          link test in PASSIVE mode (echoes \"@DT\" data)\n"
    "  --running          an ACTIVE test is running (listed terminals get packets)\n"
    "  --baud-index N     the PC's baud row, 0 (115200) .. 7 (1200); default 0\n"
    "  --cells            also print every cell redraw of the topology view\n"
    "  --trace TRACE      replay the inbound side of a line trace (docs/traces.md)\n"
    "                     and show where the tool's answers differ from the\n"
    "                     recorded outbound side; exit status 3 when they do\n"
    "  --image IMAGE      with --trace: the image of a recorded download, which is\n"
    "                     run again against the recorded replies\n"
    "  -h, --help         this text\n"
    "  --version          the version\n";

int Fail(const std::string& text) {
  std::fprintf(stderr, "tessaro-replay: %s\nTry 'tessaro-replay --help'.\n", text.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  tessaro::ReplayOptions options;
  tessaro::TraceReplayOptions trace;
  bool help = false;
  bool version = false;
  bool traceGiven = false;
  bool imageGiven = false;
  bool baudGiven = false;
  std::string baudIndex;
  std::vector<std::string> inputs;
  tessaro::cli::CommandLine line;
  line.Flag("-h,--help", help);
  line.Flag("--version", version);
  line.Flag("--passive", options.passive);
  line.Flag("--running", options.running);
  line.Flag("--cells", options.cells);
  line.Value("--trace", trace.tracePath, &traceGiven);
  line.Value("--image", trace.imagePath, &imageGiven);
  line.Value("--baud-index", baudIndex, &baudGiven);
  line.Positionals(inputs);
  const tessaro::cli::CommandLine::Error wrong = line.Parse(argc, argv);
  using Kind = tessaro::cli::CommandLine::Error::Kind;
  if (wrong.kind == Kind::kNoValue) {
    if (wrong.option == "--baud-index") return Fail("--baud-index needs a number from 0 to 7");
    return Fail("--trace and --image need a file");
  }
  if (wrong.kind == Kind::kFlagValue) return Fail(wrong.option + " takes no value");
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (version) {
    std::printf("tessaro-replay %s\n", tessaro::kVersion);
    return 0;
  }
  if (wrong.kind == Kind::kUnknown) return Fail("unknown option '" + wrong.option + "'");
  if ((traceGiven && trace.tracePath.empty()) || (imageGiven && trace.imagePath.empty())) {
    return Fail("--trace and --image need a file");
  }
  if (baudGiven) {
    char* end = nullptr;
    const long v = std::strtol(baudIndex.c_str(), &end, 10);
    if (baudIndex.empty() || *end != '\0' || v < 0 || v > 7)
      return Fail("--baud-index needs a number from 0 to 7");
    options.baudIndex = static_cast<int>(v);
  }
  if (inputs.size() > 1) return Fail("give at most one input file");
  const char* path = inputs.empty() ? nullptr : inputs.front().c_str();

  if (!trace.imagePath.empty() && trace.tracePath.empty()) return Fail("--image needs --trace");
  if (!trace.tracePath.empty()) {
    if (path != nullptr) return Fail("--trace takes no input file");
    trace.passive = options.passive;
    trace.running = options.running;
    return tessaro::RunTraceReplay(trace, stdout, stderr);
  }

  std::FILE* input = stdin;
  if (path != nullptr && std::strcmp(path, "-") != 0) {
    input = std::fopen(path, "rb");
    if (input == nullptr) {
      std::fprintf(stderr, "tessaro-replay: cannot read '%s': %s\n", path, std::strerror(errno));
      return 1;
    }
  }
  tessaro::UseBinaryInput(input);
  const int result = tessaro::RunReplay(input, stdout, options);
  if (input != stdin) std::fclose(input);
  if (result != 0) std::fprintf(stderr, "tessaro-replay: reading the input failed\n");
  return result;
}
