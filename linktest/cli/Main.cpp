// tessaro-linktest: the RF link test from a script or a remote shell.

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/PortList.h"
#include "linktest/cli/ConsoleDisplay.h"
#include "linktest/cli/Options.h"
#include "linktest/cli/Runner.h"
#include "linktest/cli/ToolPort.h"

namespace {

using tessaro::cli::Pause;

// Ctrl-C and SIGTERM are blocked in every thread and taken here, in the
// runner's own waits: no handler, no global flag.
class SignalPause final : public Pause {
 public:
  explicit SignalPause(const sigset_t& signals) : signals_(signals) {}

  bool Sleep(int ms) override {
    timespec ts{};
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    const int got = sigtimedwait(&signals_, nullptr, &ts);
    return got < 0;  // EAGAIN (the time passed) or EINTR
  }

 private:
  sigset_t signals_;
};

// What went to standard output must have arrived: a full disk or /dev/full
// makes the run fail instead of reporting success.
int CheckStandardOutput(int status) {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
  std::fprintf(stderr, "tessaro-linktest: cannot write the standard output: %s\n",
               std::strerror(errno));
  return status == tessaro::cli::kExitOk ? tessaro::cli::kExitOutput : status;
}

int TerminalRows() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0) return size.ws_row;
  return 24;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tessaro;
  using namespace tessaro::cli;

  // Before any thread starts, so that the reader thread inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  LinkTestOptions options;
  std::string error;
  switch (ParseOptions(argc, argv, options, error)) {
    case ParseResult::kHelp:
      std::fputs(UsageText(), stdout);
      return CheckStandardOutput(kExitOk);
    case ParseResult::kError:
      std::fprintf(stderr, "tessaro-linktest: %s\nTry 'tessaro-linktest --help'.\n", error.c_str());
      return kExitUsage;
    case ParseResult::kRun:
      break;
  }
  if (options.listPorts) {
    const std::vector<PortInfo> devices = ListSerialPorts();
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

  ConsoleDisplay display(stderr);
  SteadyClock clock;
  SignalPause pause(signals);
  Console console;
  console.tty = isatty(STDOUT_FILENO) != 0;
  if (console.tty) console.rows = TerminalRows();

  Engine engine(display, clock, port.Port());
  return CheckStandardOutput(RunLinkTest(options, engine, display, pause, console));
}
