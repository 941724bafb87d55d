// The far end for bench_serial_roundtrip, on the master side of a
// pseudo-terminal: echoes what it reads, and answers a lone 'F' with a flood
// of 1 MiB.  Publishes the slave as a symlink so that Wine can map it to a
// COM port.
//
//   bench_echo_far_end LINK     (runs until stdin closes or SIGTERM)

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "support/PtyPair.h"

namespace {

// Writes everything, waiting for room while the slave's queue is full.
void WriteAll(int fd, const char* bytes, std::size_t count) {
  std::size_t sent = 0;
  while (sent < count) {
    const ssize_t w = write(fd, bytes + sent, count - sent);
    if (w > 0) {
      sent += static_cast<std::size_t>(w);
    } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
      return;
    } else {
      pollfd out = {fd, POLLOUT, 0};
      poll(&out, 1, 100);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_echo_far_end LINK\n");
    return 2;
  }
  tessaro::testing::PtyPair pty;
  if (pty.Master() < 0) return 1;
  unlink(argv[1]);
  if (symlink(pty.SlavePath().c_str(), argv[1]) != 0) {
    std::perror("symlink");
    return 1;
  }
  std::printf("%s\n", pty.SlavePath().c_str());
  std::fflush(stdout);

  std::vector<char> flood(1 << 20, 'x');
  char buffer[512];
  for (;;) {
    pollfd fds[2] = {{pty.Master(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) break;
    if (fds[1].revents != 0) break;  // stdin closed: done
    if ((fds[0].revents & POLLIN) == 0) {
      // Nobody holds the slave (POLLHUP): look again shortly.
      poll(nullptr, 0, 10);
      continue;
    }
    const ssize_t n = read(pty.Master(), buffer, sizeof buffer);
    if (n <= 0) continue;
    if (n == 1 && buffer[0] == 'F') {
      WriteAll(pty.Master(), flood.data(), flood.size());
    } else {
      WriteAll(pty.Master(), buffer, static_cast<std::size_t>(n));
    }
  }
  unlink(argv[1]);
  return 0;
}
