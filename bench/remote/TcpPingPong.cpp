// The floors under a network port's turnaround: a 16-byte message written
// on a plain TCP socket (Nagle off) and read back whole, either from an echo
// server in this process on loopback (the TCP floor), or from a given
// server (ser2net's raw accepter in front of an echoing pty: the floor plus
// what the device server adds).  Prints figures; fails on errors only.
//
// With --telnet the server is a telnet accepter: its opening negotiation is
// read and left unanswered, and the messages carry no 0xFF.
//
//   bench_tcp_pingpong [HOST PORT [--telnet]] [ROUNDS]

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMessageSize = 16;

void NoDelay(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool ReadExactly(int fd, char* buffer, std::size_t want) {
  std::size_t got = 0;
  while (got < want) {
    const ssize_t n = recv(fd, buffer + got, want - got, 0);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

int Connect(const char* host, const char* port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, port, &hints, &found) != 0) return -1;
  const int fd = socket(found->ai_family, SOCK_STREAM, 0);
  const int ok = connect(fd, found->ai_addr, found->ai_addrlen);
  freeaddrinfo(found);
  if (ok != 0) {
    close(fd);
    return -1;
  }
  NoDelay(fd);
  return fd;
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

// Drops what the server sends before the first message (a telnet greeting).
void DropGreeting(int fd) {
  char sink[256];
  const auto until = Clock::now() + std::chrono::milliseconds(300);
  while (Clock::now() < until) {
    if (recv(fd, sink, sizeof sink, MSG_DONTWAIT) <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const bool telnet = std::find(args.begin(), args.end(), "--telnet") != args.end();
  if (telnet) args.erase(std::find(args.begin(), args.end(), "--telnet"));
  const bool remote = args.size() >= 2;
  const int rounds =
      args.size() == 1 || args.size() == 3 ? std::max(10, std::atoi(args.back().c_str())) : 2000;
  std::thread echo;
  std::string host = "127.0.0.1";
  std::string port;
  if (remote) {
    host = args[0];
    port = args[1];
  } else {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        listen(listener, 1) != 0) {
      std::perror("listen");
      return 1;
    }
    port = std::to_string(ntohs(address.sin_port));
    echo = std::thread([listener] {
      const int fd = accept(listener, nullptr, nullptr);
      NoDelay(fd);
      char buffer[512];
      for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0 || send(fd, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL) != n) break;
      }
      close(fd);
      close(listener);
    });
  }
  const int fd = Connect(host.c_str(), port.c_str());
  if (fd < 0) {
    std::fprintf(stderr, "cannot connect to %s:%s\n", host.c_str(), port.c_str());
    return 1;
  }
  if (telnet) DropGreeting(fd);
  char message[kMessageSize + 1] = "@BENCH-ROUNDTRIP";
  char back[kMessageSize];
  std::vector<double> micros;
  for (int i = 0; i < rounds; ++i) {
    const Clock::time_point start = Clock::now();
    if (send(fd, message, kMessageSize, MSG_NOSIGNAL) != static_cast<ssize_t>(kMessageSize) ||
        !ReadExactly(fd, back, kMessageSize)) {
      std::fprintf(stderr, "round %d: no echo\n", i);
      return 1;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  close(fd);
  if (echo.joinable()) echo.join();
  std::printf("%s: turnaround of %zu bytes over %d rounds: p50 %.0f us, p99 %.0f us\n",
              !remote  ? "TCP ping-pong on loopback"
              : telnet ? "plain client through the server's telnet accepter"
                       : "plain client through the server's raw accepter",
              kMessageSize, rounds, Percentile(micros, 0.5), Percentile(micros, 0.99));
  return 0;
}
