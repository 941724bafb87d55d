// What a network port makes of a server that does not do as asked: one that
// answers a setting with another value, and addresses nothing answers on.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "link/NativeSerialPort.h"
#include "link/PortSettings.h"
#include "remote/Ser2net.h"

namespace tessaro {
namespace {

constexpr std::uint8_t IAC = 255, SB = 250, SE = 240, WILL = 251, DO = 253, COM = 44;

// A device server that agrees to everything but runs the far line at 9600
// bps whatever rate it is asked for, and says so in its answer.  The first
// `turnAway` connections it greets, agreeing to the com-port option, and
// then closes as one whose device is in use.
class StubbornServer {
 public:
  explicit StubbornServer(int turnAway = 0) : turnAway_(turnAway) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
        listen(listener_, 1) == 0) {
      port_ = ntohs(address.sin_port);
    }
    thread_ = std::thread([this] { Serve(); });
  }
  ~StubbornServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  int Port() const { return port_; }

 private:
  void Serve() {
    pollfd p = {listener_, POLLIN, 0};
    while (!stop_ && poll(&p, 1, 50) <= 0) {
    }
    if (stop_) return;
    int fd = accept(listener_, nullptr, nullptr);
    const std::uint8_t hello[] = {IAC, WILL, 0, IAC, DO, 0, IAC, WILL, 3, IAC, DO, 3, IAC, DO, COM};
    for (; turnAway_ > 0; --turnAway_) {
      send(fd, hello, sizeof hello, MSG_NOSIGNAL);
      pollfd greeted = {fd, POLLIN, 0};
      std::uint8_t request[256];
      if (poll(&greeted, 1, 2000) > 0) (void)recv(fd, request, sizeof request, 0);
      const char busy[] = "Port's device already in use\r\n";
      send(fd, busy, sizeof busy - 1, MSG_NOSIGNAL);
      close(fd);
      while (!stop_ && poll(&p, 1, 50) <= 0) {
      }
      if (stop_) return;
      fd = accept(listener_, nullptr, nullptr);
    }
    send(fd, hello, sizeof hello, MSG_NOSIGNAL);
    std::vector<std::uint8_t> sub;
    int state = 0;  // 0 data, 1 after IAC, 2 in SB, 3 IAC in SB
    std::uint8_t buffer[256];
    pollfd c = {fd, POLLIN, 0};
    while (!stop_) {
      if (poll(&c, 1, 50) <= 0) continue;
      const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      for (ssize_t i = 0; i < n; ++i) {
        const std::uint8_t b = buffer[i];
        if (state == 0) {
          state = b == IAC ? 1 : 0;
        } else if (state == 1) {
          state = b == SB ? 2 : b >= WILL ? 4 : 0;
          sub.clear();
        } else if (state == 4) {
          state = 0;  // the option byte of WILL/WONT/DO/DONT
        } else if (state == 2) {
          if (b == IAC) {
            state = 3;
          } else {
            sub.push_back(b);
          }
        } else if (b == IAC) {
          sub.push_back(b);
          state = 2;
        } else {
          Answer(fd, sub);
          state = 0;
        }
      }
    }
    close(fd);
  }

  static void Answer(int fd, std::vector<std::uint8_t> sub) {
    if (sub.size() < 2 || sub[0] != COM) return;
    if (sub[1] == 1) sub = {COM, 1, 0, 0, 0x25, 0x80};  // 9600
    sub[1] = static_cast<std::uint8_t>(sub[1] + 100);
    std::vector<std::uint8_t> out = {IAC, SB};
    out.insert(out.end(), sub.begin(), sub.end());
    out.insert(out.end(), {IAC, SE});
    send(fd, out.data(), out.size(), MSG_NOSIGNAL);
  }

  int turnAway_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(NetworkPortRefusalTest, ARateTheServerChangedFailsTheSettingsAndNamesBothRates) {
  StubbornServer server;
  auto port = MakeNativeSerialPort();
  ASSERT_TRUE(port->Open(("rfc2217://127.0.0.1:" + std::to_string(server.Port())).c_str()))
      << port->LastError().text;
  LineSettings line;
  ApplyPortSettings(PortSettings{}, line);  // 115200 8N1
  EXPECT_FALSE(port->ApplyLineSettings(line));
  EXPECT_EQ(port->LastError().kind, PortErrorKind::Settings);
  const std::string why = port->LastError().text;
  EXPECT_NE(why.find("9600"), std::string::npos) << why;
  EXPECT_NE(why.find("115200"), std::string::npos) << why;
  port->Close();
}

// A server that agreed to the com-port option and then closed (its device in
// use) is tried again; the port opens on the next connection, which takes the
// settings.
TEST(NetworkPortRefusalTest, AServerThatAgreesAndThenTurnsAwayIsTriedAgain) {
  StubbornServer server(1);
  auto port = MakeNativeSerialPort();
  ASSERT_TRUE(port->Open(("rfc2217://127.0.0.1:" + std::to_string(server.Port())).c_str()))
      << port->LastError().text;
  LineSettings line;
  ApplyPortSettings(PortSettings{}, line);
  EXPECT_FALSE(port->ApplyLineSettings(line));
  EXPECT_EQ(port->LastError().kind, PortErrorKind::Settings) << port->LastError().text;
  port->Close();
}

TEST(NetworkPortRefusalTest, AnOpenThatCannotConnectSaysWhy) {
  const std::string closed = std::to_string(testing::FreeLoopbackPort());
  struct Case {
    std::string name;
    const char* reason;
  };
  const Case cases[] = {
      {"rfc2217://127.0.0.1:" + closed, "connection refused"},
      {"tcp://127.0.0.1:" + closed, "connection refused"},
      {"tcp://127.0.0.1:99999", "not a network port name"},
      {"rfc2217://:2000", "not a network port name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto port = MakeNativeSerialPort();
    EXPECT_FALSE(port->Open(c.name.c_str()));
    EXPECT_FALSE(port->IsOpen());
    const OpenFailure failure = port->LastOpenFailure();
    EXPECT_EQ(std::string(failure.path), c.name);
    EXPECT_NE(std::string(failure.reason).find(c.reason), std::string::npos) << failure.reason;
  }
}

}  // namespace
}  // namespace tessaro
