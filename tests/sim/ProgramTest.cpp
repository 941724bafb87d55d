// tessaro-basesim as a process: what a script or the README's run command sees.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/LineTrace.h"
#include "tests/sim/PcPort.h"

namespace tessaro::sim::testing {
namespace {

// A child process with its standard input and output on pipes.
class Program {
 public:
  explicit Program(const std::vector<std::string>& args) {
    // Everything the child needs is made before fork(): only exec follows it.
    std::string program = TESSARO_BASESIM;
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    argv.push_back(program.data());
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    int in[2];
    int out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      close(in[0]);
      close(in[1]);
      close(out[0]);
      close(out[1]);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~Program() {
    CloseInput();
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) close(stdout_);
  }

  void Write(const std::string& text) {
    [[maybe_unused]] const ssize_t n = write(stdin_, text.data(), text.size());
  }
  void CloseInput() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
  }
  // Standard output up to the next newline (without it), or empty at the deadline.
  std::string ReadLine(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      const auto nl = out_.find('\n');
      if (nl != std::string::npos) {
        std::string line = out_.substr(0, nl);
        out_.erase(0, nl + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left <= 0ms) return {};
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
      char chunk[1024];
      const ssize_t n = read(stdout_, chunk, sizeof chunk);
      if (n <= 0) return {};
      out_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  // The exit status, or -1 when it has not ended by the deadline.
  int Wait(std::chrono::milliseconds timeout = 10s) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      pollfd none{-1, 0, 0};
      poll(&none, 0, 20);
    }
    return -1;
  }
  void Signal(int sig) { kill(pid_, sig); }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  bool exited_ = false;
  std::string out_;
};

TEST(Program, HelpAndBadOptions) {
  Program help({"--help"});
  EXPECT_EQ(help.ReadLine(), "Usage: tessaro-basesim [options]");
  EXPECT_EQ(help.Wait(), 0);
  Program bad({"--loss", "3"});
  EXPECT_EQ(bad.Wait(), 2);
  Program missing({"--scenario", "/nonexistent/net.json"});
  EXPECT_EQ(missing.Wait(), 2);
  Program device({"--device", "/nonexistent/tty"});
  EXPECT_EQ(device.Wait(), 1);
  Program image({"--image-out", "/nonexistent/image.s19", "--no-console"});
  EXPECT_EQ(image.Wait(), 2);
  Program trace({"--trace", "/nonexistent/line.trace", "--no-console"});
  EXPECT_EQ(trace.Wait(), 2);
}

TEST(Program, PrintsTheSlavePathAndServesAfterItsInputCloses) {
  Program sim({"--quiet", "--delay", "0"});
  const std::string path = sim.ReadLine();
  ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
  sim.CloseInput();  // as when started in the background
  PcPort pc(path);
  pc.Send("@BS\r");
  EXPECT_EQ(pc.ReadMessage(), "@BS011102120523\r");
  pc.Close();
  PcPort again(path);  // the next opener is answered too
  again.Send("@DT070001\r");
  EXPECT_EQ(again.ReadMessages(2), (std::vector<std::string>{"@OK07\r", "@DT02070001\r"}));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(Program, ConsoleCommandsReachTheLine) {
  Program sim({"--quiet"});
  const std::string path = sim.ReadLine();
  PcPort pc(path);
  pc.Send("@TM02\r");  // the simulator has seen the open once it answers
  ASSERT_EQ(pc.ReadMessage(), "@TM020708\r");
  sim.Write("add 2 9\n");
  EXPECT_EQ(sim.ReadLine(), "terminal 9 is with base 2");
  EXPECT_EQ(pc.ReadMessage(), "@TM00\r");
  sim.Write("quit\n");
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(Program, LinkOptionPublishesASymlink) {
  const std::string link = ::testing::TempDir() + "basesim-prog-link" + std::to_string(getpid());
  Program sim({"--quiet", "--no-console", "--link", link});
  const std::string path = sim.ReadLine();
  ASSERT_FALSE(path.empty());
  PcPort pc(link);
  ASSERT_TRUE(pc.IsOpen());
  pc.Send("@TM01\r");
  EXPECT_EQ(pc.ReadMessage(), "@TM0101020304\r");
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_NE(access(link.c_str(), F_OK), 0);
}

// An image the disk would not take must not end the run as a success.
TEST(Program, AnImageThatCannotBeWrittenFailsTheRun) {
  Program sim({"--quiet", "--no-console", "--delay", "0", "--image-out", "/dev/full"});
  const std::string path = sim.ReadLine();
  ASSERT_FALSE(path.empty());
  PcPort pc(path);
  pc.Send("@BS\r");
  ASSERT_EQ(pc.ReadMessage(), "@BS011102120523\r");
  pc.Send("@UP01\r");
  pc.Send(std::string("S7\x05\x00\x00\x00\x00\xFA\r", 9));
  EXPECT_EQ(pc.ReadLine(), "FA\r");  // the end packet completes an (empty) image
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 1);
}

// The trace is the simulator's view: "<" what the PC sent, ">" the answer,
// escaped as in the PC's own traces, and on disk once the PC has hung up.
TEST(Program, TraceRecordsTheLineAsTheSimulatorSeesIt) {
  const std::string file = ::testing::TempDir() + "basesim-trace" + std::to_string(getpid());
  Program sim({"--quiet", "--no-console", "--trace", file});
  const std::string path = sim.ReadLine();
  ASSERT_FALSE(path.empty());
  PcPort pc(path);
  pc.Send("@BS\r");
  ASSERT_EQ(pc.ReadMessage(), "@BS011102120523\r");
  pc.Close();
  const auto text = [&file] {
    std::ifstream in(file);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  };
  const auto deadline = Clock::now() + 5s;
  while (text().find(" hangup\n") == std::string::npos && Clock::now() < deadline) {
    pollfd none{-1, 0, 0};
    poll(&none, 0, 20);
  }
  EXPECT_NE(text().find(" hangup\n"), std::string::npos) << "not flushed at the hang-up";
  sim.Signal(SIGTERM);
  ASSERT_EQ(sim.Wait(), 0);

  std::FILE* in = std::fopen(file.c_str(), "r");
  ASSERT_NE(in, nullptr);
  std::vector<TraceEvent> events;
  std::string error;
  EXPECT_TRUE(ReadTrace(in, events, error)) << error;
  std::fclose(in);
  std::remove(file.c_str());
  std::vector<std::string> lines;
  for (const TraceEvent& e : events) lines.push_back(e.kind + (e.text.empty() ? "" : " ") + e.text);
  EXPECT_EQ(lines, (std::vector<std::string>{"open " + path + " ok", "speed 115200", "< @BS\\r",
                                             "> @BS011102120523\\r", "hangup", "close"}));
}

}  // namespace
}  // namespace tessaro::sim::testing
