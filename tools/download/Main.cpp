// tessaro-download: a base's program download from a script or a remote shell.

#include <cstdio>
#include <memory>
#include <string>

#include "app/Engine.h"
#include "core/Clock.h"
#include "tools/common/ConsoleDisplay.h"
#include "tools/common/Terminal.h"
#include "tools/common/ToolPort.h"
#include "tools/download/Options.h"
#include "tools/download/Runner.h"
#include "tools/download/Statuses.h"

int main(int argc, char** argv) {
  using namespace tessaro;
  using namespace tessaro::cli;

  DownloadOptions options;
  std::string error;
  switch (ParseDownloadOptions(argc, argv, options, error)) {
    case DownloadParse::kHelp:
      std::fputs(DownloadUsageText(), stdout);
      return kDownloadOk;
    case DownloadParse::kVersion:
      std::fputs(DownloadVersionText(), stdout);
      return kDownloadOk;
    case DownloadParse::kError:
      std::fprintf(stderr, "tessaro-download: %s\nTry 'tessaro-download --help'.\n", error.c_str());
      return kDownloadUsage;
    case DownloadParse::kRun:
      break;
  }

  DownloadConsole console;
  DescribeTerminal(console);
  if (options.checkOnly) return CheckImageOnly(options, console);

  // Before the engine's reader thread starts, so that it inherits the mask.
  const std::unique_ptr<Pause> pause = TakeInterrupts();
  ToolPort port;
  if (!port.Make(options.port, options.tracePath, argc, argv, "tessaro-download")) {
    return kDownloadUsage;
  }
  int status = kDownloadOk;
  {
    ConsoleDisplay display(stderr, "tessaro-download");
    SteadyClock clock;
    Engine engine(display, clock, port.Port());
    status = RunDownloadTool(options, engine, console, *pause);
  }
  if (!port.TraceWrittenInFull()) {
    std::fprintf(stderr, "tessaro-download: --trace %s: not written in full\n",
                 options.tracePath.c_str());
    if (status == kDownloadOk) status = kDownloadTraceCut;
  }
  return status;
}
