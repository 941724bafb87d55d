// tessaro-linktest: the RF link test from a script or a remote shell.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/PortList.h"
#include "tools/common/ConsoleDisplay.h"
#include "tools/common/Terminal.h"
#include "tools/common/ToolPort.h"
#include "tools/linktest/Options.h"
#include "tools/linktest/Runner.h"

namespace {

// What went to standard output must have arrived: a full disk or /dev/full
// makes the run fail instead of reporting success.
int CheckStandardOutput(int status) {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
  std::fprintf(stderr, "tessaro-linktest: cannot write the standard output: %s\n",
               std::strerror(errno));
  return status == tessaro::cli::kExitOk ? tessaro::cli::kExitOutput : status;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tessaro;
  using namespace tessaro::cli;

  // Before any thread starts, so that the reader thread inherits it.
  const std::unique_ptr<Pause> pause = TakeInterrupts();

  LinkTestOptions options;
  std::string error;
  switch (ParseOptions(argc, argv, options, error)) {
    case ParseResult::kHelp:
      std::fputs(UsageText(), stdout);
      return CheckStandardOutput(kExitOk);
    case ParseResult::kVersion:
      std::fputs(VersionText(), stdout);
      return CheckStandardOutput(kExitOk);
    case ParseResult::kError:
      std::fprintf(stderr, "tessaro-linktest: %s\nTry 'tessaro-linktest --help'.\n", error.c_str());
      return kExitUsage;
    case ParseResult::kRun:
      break;
  }
  if (options.listPorts) {
    const std::vector<PortInfo> devices = ListSerialDevices();
    for (const PortInfo& d : devices) {
      std::printf("%s\t%s\n", d.path.c_str(), d.ListText().c_str());
    }
    if (devices.empty()) std::fputs("tessaro-linktest: no serial device found\n", stderr);
    return CheckStandardOutput(kExitOk);
  }

  ToolPort port;
  if (!port.Make(options.port, options.tracePath, argc, argv, "tessaro-linktest")) {
    return kExitOutput;
  }

  ConsoleDisplay display(stderr, "tessaro-linktest");
  SteadyClock clock;
  Console console;
  DescribeTerminal(console);

  Engine engine(display, clock, port.Port());
  return CheckStandardOutput(RunLinkTest(options, engine, display, *pause, console));
}
