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
#include "tools/common/StandardOutput.h"
#include "tools/common/Terminal.h"
#include "tools/common/ToolPort.h"
#include "tools/linktest/Options.h"
#include "tools/linktest/Runner.h"

namespace {

// Everything written (results, trace, standard output) must have arrived: a
// full disk or a closed pipe makes a run fail instead of reporting success.
int CheckStandardOutput(int status) {
  if (tessaro::cli::StandardOutputArrived("tessaro-linktest")) return status;
  return tessaro::cli::WithOutputFailure(status);
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

  int status = kExitOk;
  {
    Engine engine(display, clock, port.Port());
    status = RunLinkTest(options, engine, display, *pause, console);
  }
  if (!port.Finish()) status = WithOutputFailure(status);
  return CheckStandardOutput(status);
}
