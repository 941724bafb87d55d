#pragma once

// Servers the metrics tests start on 127.0.0.1 and talk to: a free port, a
// plain HTTP GET, a program found on the PATH.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tessaro::testing {

// A port nobody listens on at this moment (the kernel's choice for port 0).
inline int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
    port = ntohs(a.sin_port);
  }
  close(fd);
  return port;
}

// GET http://127.0.0.1:port/target over HTTP/1.0; the body of a 200 answer
// in `body`.  false when nobody answers or the status is not 200.
inline bool HttpGet(int port, const std::string& target, std::string& body) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  timeval timeout{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
      char buffer[8192];
      ssize_t n;
      while ((n = read(fd, buffer, sizeof buffer)) > 0) answer.append(buffer, std::size_t(n));
    }
  }
  close(fd);
  const std::size_t head = answer.find("\r\n\r\n");
  const bool ok =
      answer.compare(0, 12, "HTTP/1.0 200") == 0 || answer.compare(0, 12, "HTTP/1.1 200") == 0;
  if (head == std::string::npos || !ok) return false;
  body = answer.substr(head + 4);
  return true;
}

// The full path of `program` on the PATH; empty when it is not there.
inline std::string OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

}  // namespace tessaro::testing
