// tessaro-download: a base's program download from a script or a remote shell.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/Engine.h"
#include "core/Clock.h"
#include "download/cli/Options.h"
#include "download/cli/Runner.h"
#include "download/cli/Statuses.h"
#include "link/NativeSerialPort.h"
#include "linktest/cli/ConsoleDisplay.h"
#include "linktest/cli/PathPort.h"
#include "linktest/cli/Runner.h"

int main(int argc, char** argv) {
  using namespace tessaro;
  using namespace tessaro::cli;

  DownloadOptions options;
  std::string error;
  switch (ParseDownloadOptions(argc, argv, options, error)) {
    case DownloadParse::kHelp:
      std::fputs(DownloadUsageText(), stdout);
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

  std::unique_ptr<SerialPort> native = MakeNativeSerialPort();
  std::unique_ptr<PathPort> path;
  SerialPort* port = native.get();
  if (ComPortIndex(options.port.c_str()) < 0) {
    path = std::make_unique<PathPort>(*native, options.port);
    port = path.get();
  }

  ConsoleDisplay display(stderr);
  SteadyClock clock;
  Engine engine(display, clock, *port);
  return RunDownloadTool(options, engine, console);
}
