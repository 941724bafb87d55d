// The port session over real pseudo-terminals: opening and closing in order,
// the reader thread, hang-up, and closing while bytes pour in.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/PortSession.h"
#include "link/PosixSerialPort.h"
#include "support/PtyPair.h"
#include "tests/link/SessionRecorders.h"

namespace tessaro {
namespace {

using namespace std::chrono_literals;
using testing::LockedDisplay;
using testing::MessageSink;
using testing::PtyPair;

// The real port, with its waits counted and its line settings refusable.
class ObservedPort final : public SerialPort {
 public:
  explicit ObservedPort(SerialPort& port) : port_(port) {}
  bool Open(const char* name) override { return port_.Open(name); }
  bool ApplyLineSettings(const LineSettings& line) override {
    return !refuseSettings.load() && port_.ApplyLineSettings(line);
  }
  void SetQueuesAndTimeouts(const PortTimeouts& t) override { port_.SetQueuesAndTimeouts(t); }
  WaitResult WaitReadable(int timeoutMs) override {
    ++waits;
    return port_.WaitReadable(timeoutMs);
  }
  void Wake() override { port_.Wake(); }
  long Read(char* buffer, std::size_t size) override { return port_.Read(buffer, size); }
  long Write(const char* bytes, std::size_t count) override { return port_.Write(bytes, count); }
  void PurgeInput() override { port_.PurgeInput(); }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return port_.IsOpen(); }

  std::atomic<bool> refuseSettings{false};
  std::atomic<long> waits{0};

 private:
  SerialPort& port_;
};

class PortSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    setenv("TESSARO_COM1", pty.SlavePath().c_str(), 1);
  }
  void TearDown() override { unsetenv("TESSARO_COM1"); }

  PtyPair pty;
  PosixSerialPort port;
  LockedDisplay display;
  MessageSink sink;
};

// --- OpenPort and ClosePort --------------------------------------------------

TEST_F(PortSessionTest, OpenShowsThePortInPaneTwoThenPausesAndCloseBlanksThePanes) {
  setenv("TESSARO_COM3", pty.SlavePath().c_str(), 1);
  PortSession session(port, sink, display);
  PortSettings settings;
  settings.portIndex = 2;
  settings.baudIndex = 4;
  settings.flowIndex = 2;
  ASSERT_EQ(session.OpenPort(settings), 1);
  const auto returned = std::chrono::steady_clock::now();
  unsetenv("TESSARO_COM3");

  EXPECT_TRUE(session.IsOpen());
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(display.PaneWrites(), std::vector<std::string>{"2:COM3: 9600 bps, Xon/Xoff"});
  EXPECT_EQ(display.ViewInvalidations(), 1);
  EXPECT_TRUE(display.Messages().empty());
  EXPECT_GE(returned - display.LastPaneWrite(), PortSession::kOpenPause);
  EXPECT_EQ(session.Line().baudRate, 9600u);
  EXPECT_TRUE(session.Line().OutX());

  display.Clear();
  session.ClosePort();
  EXPECT_FALSE(session.IsOpen());
  EXPECT_FALSE(port.IsOpen());
  const std::vector<std::string> blanked{"0:  ", "1:  ", "2:  "};
  EXPECT_EQ(display.PaneWrites(), blanked);

  // A second close releases nothing and only blanks the panes again.
  display.Clear();
  session.ClosePort();
  EXPECT_EQ(display.PaneWrites(), blanked);
  EXPECT_TRUE(display.Messages().empty());
}

TEST_F(PortSessionTest, AMissingOrHeldPortIsRefusedAndNothingChanges) {
  PortSession session(port, sink, display, 0ms);
  setenv("TESSARO_COM1", "/nonexistent/ttyS0", 1);
  EXPECT_EQ(session.OpenPort(PortSettings{}), 0);
  EXPECT_EQ(display.Messages(), std::vector<std::string>{"Error: Can't open the COM port!"});

  setenv("TESSARO_COM1", pty.SlavePath().c_str(), 1);
  const int other = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(session.OpenPort(PortSettings{}), 0);
  EXPECT_EQ(display.Messages().size(), 2u);
  EXPECT_EQ(display.Messages().back(), "Error: Can't open the COM port!");
  EXPECT_FALSE(session.IsOpen());
  EXPECT_TRUE(display.PaneWrites().empty());
  EXPECT_EQ(display.ViewInvalidations(), 0);

  // The next open tries again at once.
  close(other);
  EXPECT_EQ(session.OpenPort(PortSettings{}), 1);
  EXPECT_EQ(display.Pane(2), "COM1: 115200 bps, None");
  session.ClosePort();
}

TEST_F(PortSessionTest, RefusedLineSettingsReleaseThePort) {
  ObservedPort observed(port);
  observed.refuseSettings = true;
  PortSession session(observed, sink, display, 0ms);
  EXPECT_EQ(session.OpenPort(PortSettings{}), 0);
  EXPECT_EQ(display.Messages(),
            std::vector<std::string>{"Error: Error on setting communication state"});
  EXPECT_FALSE(session.IsOpen());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(display.PaneWrites().empty());
  PosixSerialPort other;
  EXPECT_TRUE(other.Open(pty.SlavePath().c_str()));
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// No room left for a thread's stack: the open fails with its message and the
// port is let go.  Run in a child process, whose address space is limited.
TEST_F(PortSessionTest, NoReaderThreadMeansNoSession) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto child = [this] {
    PortSession session(port, sink, display, 0ms);
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
      std::fclose(statm);
    }
    if (pages == 0) std::_Exit(2);
    const rlim_t room = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (1u << 20);
    const rlimit limit{room, room};
    if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
    const int result = session.OpenPort(PortSettings{});
    const bool ok =
        result == 0 && !session.IsOpen() && !port.IsOpen() &&
        display.Messages() == std::vector<std::string>{"Error: Can't create a reading thread!"} &&
        display.PaneWrites().empty();
    std::_Exit(ok ? 0 : 1);
  };
  EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}
#endif

// --- The reader thread -------------------------------------------------------

TEST_F(PortSessionTest, MessagesSplitOrMergedAcrossReadsReachTheSinkWholeAndInOrder) {
  // Sent while nobody held the port: must not be taken for this session's.
  ASSERT_TRUE(pty.WriteAll("@BS0101\r@CH0104\r"));
  PortSession session(port, sink, display, 0ms);
  ASSERT_EQ(session.OpenPort(PortSettings{}), 1);

  ASSERT_TRUE(pty.WriteAll("@BS"));
  ASSERT_TRUE(sink.WaitForBytes(3));
  ASSERT_TRUE(pty.WriteAll("\r"));
  ASSERT_TRUE(sink.WaitForMessages(1));
  ASSERT_TRUE(pty.WriteAll("@CH0101\r@GP0101\r"));
  ASSERT_TRUE(sink.WaitForMessages(3));

  const std::vector<std::string> expected{"@BS\r", "@CH0101\r", "@GP0101\r"};
  EXPECT_EQ(sink.Messages(), expected);
  EXPECT_EQ(sink.Bytes(), "@BS\r@CH0101\r@GP0101\r");
  EXPECT_GE(sink.Chunks(), 3);

  // The window thread's writes go out while the reader waits.
  session.Write("@AT\r", 4);
  EXPECT_EQ(pty.Read(4), "@AT\r");
  session.ClosePort();
  session.Write("@AT\r", 4);  // closed: goes nowhere
  EXPECT_EQ(pty.Read(0, 50), "");
}

// The stream the flood writer sends: "@D" six digits "\r", counting up.
constexpr std::size_t kFloodMessage = 9;

void FloodMessage(unsigned n, char* out) {
  std::snprintf(out, kFloodMessage + 1, "@D%06u\r", n % 1000000u);
}

// True when `bytes` is one unbroken piece of the flood stream: whole
// messages counting up by one, a piece of one at either end.
bool IsUnbrokenPiece(const std::string& bytes, std::string* why) {
  std::size_t i = bytes.find('@');
  if (i == std::string::npos) return true;
  long expected = -1;
  char message[kFloodMessage + 1];
  for (; i + kFloodMessage <= bytes.size(); i += kFloodMessage) {
    long n = 0;
    bool whole = bytes[i] == '@' && bytes[i + 1] == 'D' && bytes[i + kFloodMessage - 1] == '\r';
    for (std::size_t d = i + 2; whole && d < i + kFloodMessage - 1; ++d) {
      whole = bytes[d] >= '0' && bytes[d] <= '9';
      n = n * 10 + (bytes[d] - '0');
    }
    if (!whole) {
      *why = "malformed at " + std::to_string(i);
      return false;
    }
    if (expected >= 0 && n != expected) {
      *why = "gap or reorder at " + std::to_string(i);
      return false;
    }
    expected = (n + 1) % 1000000;
  }
  if (i < bytes.size() && expected >= 0) {
    FloodMessage(static_cast<unsigned>(expected), message);
    if (bytes.compare(i, std::string::npos, message, bytes.size() - i) != 0) {
      *why = "broken tail";
      return false;
    }
  }
  return true;
}

class FloodSink : public ByteSink {
 public:
  void OnBytes(const char* bytes, std::size_t count) override {
    std::scoped_lock lock(m_);
    if (closed_) ++afterClose_;
    session_.append(bytes, count);
  }
  void Begin() {
    std::scoped_lock lock(m_);
    session_.clear();
    closed_ = false;
  }
  std::string End() {
    std::scoped_lock lock(m_);
    closed_ = true;
    return session_;
  }
  bool Received() {
    std::scoped_lock lock(m_);
    return !session_.empty();
  }
  int AfterClose() {
    std::scoped_lock lock(m_);
    return afterClose_;
  }

 private:
  std::mutex m_;
  std::string session_;
  bool closed_ = true;
  int afterClose_ = 0;
};

TEST_F(PortSessionTest, AThousandOpenCloseCyclesUnderAFloodLoseNothingInsideASession) {
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    char message[kFloodMessage + 1];
    unsigned n = 0;
    std::size_t offset = kFloodMessage;
    while (!stop.load()) {
      if (offset == kFloodMessage) {
        FloodMessage(n++, message);
        offset = 0;
      }
      const ssize_t w = write(pty.Master(), message + offset, kFloodMessage - offset);
      if (w > 0) {
        offset += static_cast<std::size_t>(w);
        continue;
      }
      pollfd p = {pty.Master(), POLLOUT, 0};
      if (poll(&p, 1, 5) > 0 && (p.revents & POLLOUT) == 0) std::this_thread::sleep_for(1ms);
    }
  });

  FloodSink flood;
  PortSession session(port, flood, display, 0ms);
  int sessionsWithBytes = 0;
  for (int cycle = 0; cycle < 1000; ++cycle) {
    flood.Begin();
    ASSERT_EQ(session.OpenPort(PortSettings{}), 1) << "cycle " << cycle;
    if (cycle % 2 == 1) {
      // Close while the reader is busy taking bytes.
      const auto deadline = std::chrono::steady_clock::now() + testing::kGenerous;
      while (!flood.Received() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(200us);
      }
    }
    session.ClosePort();
    const std::string got = flood.End();
    if (!got.empty()) ++sessionsWithBytes;
    std::string why;
    ASSERT_TRUE(IsUnbrokenPiece(got, &why)) << "cycle " << cycle << ": " << why;
  }
  stop = true;
  writer.join();
  EXPECT_EQ(flood.AfterClose(), 0);
  EXPECT_GE(sessionsWithBytes, 500);
  EXPECT_FALSE(session.IsOpen());
}

// --- Faults of the far end ------------------------------------------------------

TEST_F(PortSessionTest, AFarEndThatGoesAwayIsReportedAndTheReaderRestsUntilClose) {
  ObservedPort observed(port);
  PortSession session(observed, sink, display, 0ms);
  ASSERT_EQ(session.OpenPort(PortSettings{}), 1);
  ASSERT_TRUE(pty.WriteAll("@OK\r"));
  ASSERT_TRUE(sink.WaitForMessages(1));

  pty.CloseMaster();
  ASSERT_TRUE(display.WaitForPane(0, kLinkLostText));
  EXPECT_TRUE(session.LinkLost());
  EXPECT_TRUE(session.IsOpen());
  // A reader that kept waiting on the hung-up port would count hundreds of
  // thousands of waits here.
  const long waits = observed.waits.load();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(observed.waits.load(), waits);
  session.Write("@AT\r", 4);  // goes nowhere, returns

  session.ClosePort();
  EXPECT_FALSE(session.IsOpen());
  EXPECT_EQ(display.Pane(0), "  ");

  // The device is back (a new pty behind the same name).
  PtyPair back;
  ASSERT_TRUE(back.Ok());
  setenv("TESSARO_COM1", back.SlavePath().c_str(), 1);
  ASSERT_EQ(session.OpenPort(PortSettings{}), 1);
  EXPECT_FALSE(session.LinkLost());
  ASSERT_TRUE(back.WriteAll("@BS\r"));
  ASSERT_TRUE(sink.WaitForMessages(2));
  EXPECT_EQ(sink.Messages().back(), "@BS\r");
  session.ClosePort();
}

// Answers every chunk with a long write, as a dispatch that sends commands.
class AnsweringSink : public ByteSink {
 public:
  void OnBytes(const char*, std::size_t) override {
    const auto start = std::chrono::steady_clock::now();
    session->Write(answer.data(), answer.size());
    // Longer than an unhindered write takes: the output is full.
    if (std::chrono::steady_clock::now() - start >= 40ms) blocked = true;
    ++answers;
  }
  PortSession* session = nullptr;
  std::string answer = std::string(256, 'a');
  std::atomic<bool> blocked{false};
  std::atomic<int> answers{0};
};

TEST_F(PortSessionTest, CloseReturnsWhileADispatchWritesToAFarEndThatStoppedReading) {
  AnsweringSink answering;
  PortSession session(port, answering, display, 0ms);
  answering.session = &session;
  ASSERT_EQ(session.OpenPort(PortSettings{}), 1);
  // The far end keeps sending and never reads.
  const auto deadline = std::chrono::steady_clock::now() + testing::kGenerous;
  while (!answering.blocked && std::chrono::steady_clock::now() < deadline) {
    pty.WriteAll("@OK\r", 100);
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_TRUE(answering.blocked);
  session.ClosePort();
  EXPECT_FALSE(session.IsOpen());
  EXPECT_GT(answering.answers.load(), 0);
}

}  // namespace
}  // namespace tessaro
