#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

#include "tools/common/Terminal.h"

namespace tessaro::cli {

namespace {

// Ctrl-C, SIGTERM and SIGHUP are blocked in every thread and taken here, in
// the runner's own waits: no handler, no global flag.
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

}  // namespace

std::unique_ptr<Pause> TakeInterrupts() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return std::make_unique<SignalPause>(signals);
}

void OutliveTheTerminal() {
  // A blocked signal stays pending for the runner's waits even when ignored;
  // unblocked here, where it is ignored, a hang-up is dropped as it comes.
  std::signal(SIGHUP, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t hangUp;
  sigemptyset(&hangUp);
  sigaddset(&hangUp, SIGHUP);
  pthread_sigmask(SIG_UNBLOCK, &hangUp, nullptr);
}

void DescribeTerminal(Console& console) {
  const int fd = fileno(console.out);
  console.tty = fd >= 0 && isatty(fd) != 0;
  if (!console.tty) return;
  winsize size{};
  const bool known = ioctl(fd, TIOCGWINSZ, &size) == 0;
  console.rows = known && size.ws_row > 0 ? size.ws_row : 24;
  console.columns = known && size.ws_col > 0 ? size.ws_col : 80;
}

}  // namespace tessaro::cli
