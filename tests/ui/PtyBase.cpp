#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "UiTestSupport.h"

namespace tessaro::testing {

PtyBase::PtyBase() {
  char name[256] = {};
  if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    std::perror("openpty");
    return;
  }
  // Raw both ways until the PC sets its own line settings.
  termios raw{};
  if (tcgetattr(slave_, &raw) == 0) {
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
  }
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  slavePath_ = name;
}

PtyBase::~PtyBase() {
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
}

void PtyBase::HangUp() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

void PtyBase::Say(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    pollfd p{master_, POLLOUT, 0};
    poll(&p, 1, 100);
    Heard();  // the PC's answers must not fill the other direction
  }
}

const std::string& PtyBase::Heard() {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    heard_.append(buffer, static_cast<std::size_t>(n));
  }
  return heard_;
}

bool PtyBase::WaitHeard(const std::string& text, int timeoutMs) {
  return WaitFor([&] { return Heard().find(text) != std::string::npos; }, timeoutMs);
}

}  // namespace tessaro::testing
