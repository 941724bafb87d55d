// tessaro-download: a base's program download from a script or a remote shell.

#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/Engine.h"
#include "core/Clock.h"
#include "download/cli/Options.h"
#include "download/cli/Runner.h"
#include "download/cli/Statuses.h"
#include "link/PortStack.h"
#include "linktest/cli/ConsoleDisplay.h"

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
  console.tty = isatty(STDOUT_FILENO) != 0;
  if (options.checkOnly) return CheckImageOnly(options, console);

  PortStack port;
  if (std::string error; !port.Make(options.port, options.tracePath, argc, argv, error)) {
    std::fprintf(stderr, "tessaro-download: %s\n", error.c_str());
    return kDownloadUsage;
  }
  ConsoleDisplay display(stderr);
  SteadyClock clock;
  Engine engine(display, clock, port.Port());
  return RunDownloadTool(options, engine, console);
}
