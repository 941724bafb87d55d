#pragma once

// A real serial device server for the tests: ser2net on 127.0.0.1, with an
// RFC 2217 accepter and a raw TCP accepter on free ports, both on one
// device.  Started in the foreground, stopped by its pid.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>

#include "support/ToolProcess.h"

namespace tessaro::testing {

inline constexpr const char* kSer2netPath = "/usr/sbin/ser2net";

// A port number nothing listens on at this moment.
inline int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

// Whether something listens on 127.0.0.1:`port` (read from the kernel's
// table, so that no connection disturbs the server).
inline bool Listening(int port) {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  char wanted[32];
  std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    if (local == wanted && state == "0A") return true;
  }
  return false;
}

class Ser2net {
 public:
  // Stops the server and removes the files it was given and wrote.
  ~Ser2net() {
    Stop();
    if (dir_.empty()) return;
    for (const char* name : {"/ser2net.yaml", "/ser2net.out", "/ser2net.err", "/ser2net.pid"}) {
      std::remove((dir_ + name).c_str());
    }
  }

  static bool Installed() { return access(kSer2netPath, X_OK) == 0; }

  // Writes the configuration for `device` (at `baud` 8N1) into `dir` and
  // starts the server; false with a reason when it does not listen in time.
  // `options`: more lines under each connection's options ("chardelay:
  // false", say).
  bool Start(const std::string& dir, const std::string& device, int baud, std::string* error,
             const std::string& options = "") {
    dir_ = dir;
    rfc2217Port_ = FreeLoopbackPort();
    rawPort_ = FreeLoopbackPort();
    std::ofstream yaml(dir + "/ser2net.yaml");
    for (int i = 0; i < 2; ++i) {
      yaml << "connection: &" << (i == 0 ? "rfc2217" : "raw") << "\n"
           << "  accepter: " << (i == 0 ? "telnet(rfc2217),tcp" : "tcp") << ",127.0.0.1,"
           << (i == 0 ? rfc2217Port_ : rawPort_) << "\n"
           << "  connector: serialdev," << device << "," << baud << "n81,local\n"
           << "  options:\n    kickolduser: false\n";
      if (!options.empty()) yaml << "    " << options << "\n";
    }
    yaml.close();
    return Restart(error);
  }

  // Starts it again on the same ports (after Kill).
  bool Restart(std::string* error) {
    if (!process_.Start({kSer2netPath, "-n", "-d", "-u", "-P", dir_ + "/ser2net.pid", "-c",
                         dir_ + "/ser2net.yaml"},
                        dir_ + "/ser2net.out", dir_ + "/ser2net.err")) {
      *error = "ser2net cannot be started";
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Listening(rfc2217Port_) || !Listening(rawPort_)) {
      int status = 0;
      if (process_.Ended(&status) || std::chrono::steady_clock::now() > deadline) {
        *error = "ser2net does not listen; see " + dir_ + "/ser2net.out";
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // Ends it at once, as a crash or a pulled plug would.
  void Kill() { process_.Kill(); }
  void Stop() { process_.Kill(); }

  std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(rfc2217Port_); }
  std::string RawUrl() const { return "tcp://127.0.0.1:" + std::to_string(rawPort_); }

 private:
  ToolProcess process_;
  std::string dir_;
  int rfc2217Port_ = 0;
  int rawPort_ = 0;
};

}  // namespace tessaro::testing
