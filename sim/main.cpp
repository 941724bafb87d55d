// tessaro-basesim: the simulator as a program.  Prints the path a PC opens,
// then serves console commands from standard input until a signal or "quit";
// a closed standard input (a background start) ends only the console.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Version.h"
#include "link/LineTrace.h"
#include "sim/Console.h"
#include "sim/Options.h"
#include "sim/Simulator.h"

namespace {

using tessaro::sim::Console;
using tessaro::sim::Options;
using tessaro::sim::Simulator;

void Print(const std::string& text) {
  if (!text.empty()) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
  }
}

// false after saying why the image was not written in full.
bool SaveImage(const Simulator& sim, const std::string& path, bool quiet) {
  std::string error;
  const bool binary = path.size() > 4 && path.compare(path.size() - 4, 4, ".bin") == 0;
  const bool ok = binary ? sim.WriteImageBinary(path, &error) : sim.WriteImageSRecord(path, &error);
  if (!ok) {
    std::fprintf(stderr, "tessaro-basesim: --image-out %s\n", error.c_str());
  } else if (!quiet) {
    std::fprintf(stderr, "tessaro-basesim: image written to %s\n", path.c_str());
  }
  return ok;
}

// Writes out each completed download, the last one also when a stop came
// right after it, and remembers whether one was lost.
class ImageSaver {
 public:
  ImageSaver(const Simulator& sim, const Options& options) : sim_(sim), options_(options) {}

  void SaveNew() {
    if (options_.imageOut.empty()) return;
    const int completed = sim_.Loader().completed;
    if (completed == seen_) return;
    seen_ = completed;
    if (!SaveImage(sim_, options_.imageOut, options_.quiet)) lost_ = true;
  }
  bool Lost() const { return lost_; }

 private:
  const Simulator& sim_;
  const Options& options_;
  int seen_ = 0;
  bool lost_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  Options options;
  std::string error;
  if (!tessaro::sim::ParseOptions(args, options, &error)) {
    std::fprintf(stderr, "tessaro-basesim: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(tessaro::sim::UsageText(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("tessaro-basesim %s\n", tessaro::kVersion);
    return 0;
  }

  // The trace file is made at start: a line recorded into a path that cannot
  // be written would be lost.
  std::FILE* trace = nullptr;
  if (!options.trace.empty()) {
    trace = tessaro::TracingPort::OpenTraceFile(options.trace.c_str(), argc, argv);
    if (trace == nullptr) {
      std::fprintf(stderr, "tessaro-basesim: --trace %s: cannot be written: %s\n",
                   options.trace.c_str(), std::strerror(errno));
      return 2;
    }
  }

  // Signals arrive on a descriptor of this thread; the loop thread started
  // below inherits the blocked mask and never sees them.
  signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

  Simulator sim(options.scenario);
  sim.TraceLine(trace);
  if (!sim.Start(options.endpoint, &error)) {
    std::fprintf(stderr, "tessaro-basesim: %s\n", error.c_str());
    if (trace) std::fclose(trace);
    return 1;
  }
  Print(sim.SlavePath() + "\n");
  if (!options.quiet) {
    std::fprintf(stderr, "tessaro-basesim: serving %s%s%s\n%s", sim.SlavePath().c_str(),
                 options.endpoint.linkPath.empty() ? "" : " as ", options.endpoint.linkPath.c_str(),
                 sim.Describe().c_str());
    if (options.console) std::fputs("tessaro-basesim: type help for commands\n", stderr);
  }

  Console console(sim);
  bool readConsole = options.console;
  std::string pending;
  ImageSaver images(sim, options);
  while (!console.Quit()) {
    pollfd fds[2] = {{signalFd, POLLIN, 0}, {readConsole ? STDIN_FILENO : -1, POLLIN, 0}};
    const int ready = poll(fds, 2, 500);
    if (ready < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) break;
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buffer[1024];
      const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) {
        readConsole = false;  // no more commands; the simulator serves on
      } else {
        pending.append(buffer, static_cast<std::size_t>(n));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
          Print(console.Execute(pending.substr(0, end)));
          pending.erase(0, end + 1);
        }
        if (pending.size() > 4096) pending.clear();  // no command is this long
      }
    }
    images.SaveNew();
  }
  sim.Stop();
  images.SaveNew();
  if (signalFd >= 0) close(signalFd);
  if (trace) {
    const bool failed = std::ferror(trace) != 0;
    if (std::fclose(trace) != 0 || failed) {
      std::fprintf(stderr, "tessaro-basesim: --trace %s: not written in full\n",
                   options.trace.c_str());
      return 1;
    }
  }
  return images.Lost() ? 1 : 0;
}
