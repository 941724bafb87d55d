// tessaro-download: a base's program download from a script or a remote shell.

#include <cstdio>
#include <string>

#include "app/Engine.h"
#include "core/Clock.h"
#include "tools/common/ConsoleDisplay.h"
#include "tools/common/StandardOutput.h"
#include "tools/common/Terminal.h"
#include "tools/common/ToolPort.h"
#include "tools/download/Options.h"
#include "tools/download/Runner.h"
#include "tools/download/Statuses.h"

namespace {

constexpr const char* kProgram = "tessaro-download";

}  // namespace

int main(int argc, char** argv) {
  using namespace tessaro;
  using namespace tessaro::cli;

  DownloadOptions options;
  std::string error;
  switch (ParseDownloadOptions(argc, argv, options, error)) {
    case DownloadParse::kHelp:
      std::fputs(DownloadUsageText(), stdout);
      return StandardOutputArrived(kProgram) ? kDownloadOk : kDownloadUsage;
    case DownloadParse::kVersion:
      std::fputs(DownloadVersionText(), stdout);
      return StandardOutputArrived(kProgram) ? kDownloadOk : kDownloadUsage;
    case DownloadParse::kError:
      std::fprintf(stderr, "tessaro-download: %s\nTry 'tessaro-download --help'.\n", error.c_str());
      return kDownloadUsage;
    case DownloadParse::kRun:
      break;
  }

  DownloadConsole console;
  DescribeTerminal(console);
  if (options.checkOnly) {
    const int status = CheckImageOnly(options, console);
    return StandardOutputArrived(kProgram) || status != kDownloadOk ? status : kDownloadUsage;
  }

  ToolPort port;
  if (!port.Make(options.port, options.tracePath, argc, argv, kProgram)) return kDownloadUsage;
  ConsoleDisplay display(stderr, kProgram);
  SteadyClock clock;
  int status = kDownloadOk;
  {
    Engine engine(display, clock, port.Port());
    status = RunDownloadTool(options, engine, console);
  }
  if (!port.Finish() && status == kDownloadOk) status = kDownloadUsage;
  return status;
}
