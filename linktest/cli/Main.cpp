// tessaro-linktest: the RF link test from a script or a remote shell.

#include <cstdio>
#include <memory>
#include <string>

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/NativeSerialPort.h"
#include "linktest/cli/ConsoleDisplay.h"
#include "linktest/cli/Options.h"
#include "linktest/cli/PathPort.h"
#include "linktest/cli/Runner.h"
#include "linktest/cli/Terminal.h"

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
      return kExitOk;
    case ParseResult::kError:
      std::fprintf(stderr, "tessaro-linktest: %s\nTry 'tessaro-linktest --help'.\n", error.c_str());
      return kExitUsage;
    case ParseResult::kRun:
      break;
  }

  std::unique_ptr<SerialPort> native = MakeNativeSerialPort();
  std::unique_ptr<PathPort> path;
  SerialPort* port = native.get();
  if (ComPortIndex(options.port.c_str()) < 0) {
    path = std::make_unique<PathPort>(*native, options.port);
    port = path.get();
  }

  ConsoleDisplay display(stderr);
  SteadyClock clock;
  Console console;
  DescribeTerminal(console);

  Engine engine(display, clock, *port);
  return RunLinkTest(options, engine, display, *pause, console);
}
