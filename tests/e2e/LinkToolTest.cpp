// tessaro-linktest run as a process against the simulator.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "support/ToolProcess.h"

namespace tessaro::e2e {
namespace {

struct ToolRun {
  int status = -1;  // exit status, or -1 when it did not exit by itself
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class LinkToolTest : public ::testing::Test {
 protected:
  LinkToolTest() {
    char pattern[] = "/tmp/tessaro-linktest-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  ~LinkToolTest() override {
    for (const char* f : {"out", "err", "r.json", "r.csv", "r.series", "trace", "replay", "line"})
      unlink(Path(f).c_str());
    rmdir(dir_.c_str());
  }

  std::string Path(const char* name) const { return dir_ + "/" + name; }

  // Runs the tool with `args`; `interruptAfterMs` > 0 sends SIGINT then.
  // With `tty`, standard output is the slave of a pseudo-terminal whose
  // output lands in ToolRun::out.  `stdoutPath` replaces the file "out".
  ToolRun Run(std::vector<std::string> args, int interruptAfterMs = 0, bool tty = false,
              const std::string& stdoutPath = "") {
    int master = -1;
    std::string ttyOut;
    if (tty) {
      master = posix_openpt(O_RDWR | O_NOCTTY);
      if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return {};
      }
      fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    args.insert(args.begin(), TESSARO_LINKTEST_TOOL);
    const std::string out =
        tty ? std::string(ptsname(master)) : (stdoutPath.empty() ? Path("out") : stdoutPath);
    ToolRun run;
    testing::ToolProcess tool;
    if (!tool.Start(args, out, Path("err"))) {
      ADD_FAILURE() << "cannot start " << args[0];
      return run;
    }
    int status = -1;
    const auto start = std::chrono::steady_clock::now();
    bool interrupted = false;
    const bool exited = WaitFor(
        [&] {
          if (interruptAfterMs > 0 && !interrupted &&
              std::chrono::steady_clock::now() - start >=
                  std::chrono::milliseconds(interruptAfterMs)) {
            kill(tool.Pid(), SIGINT);
            interrupted = true;
          }
          if (tty) Drain(master, ttyOut);
          if (during) during(std::chrono::steady_clock::now() - start);
          return tool.Ended(&status);
        },
        std::chrono::seconds(90));
    if (!exited) {
      tool.Kill();
      ADD_FAILURE() << "the tool did not end";
    } else if (status >= 0) {
      run.status = status;
    }
    if (tty) {
      Drain(master, ttyOut);
      close(master);
    }
    run.out = tty ? ttyOut : ReadFile(Path("out"));
    run.err = ReadFile(Path("err"));
    return run;
  }

  static void Drain(int fd, std::string& into) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
      into.append(buffer, static_cast<std::size_t>(n));
  }

  std::string dir_;
  // Called while the tool runs, with the time since it started.
  std::function<void(std::chrono::steady_clock::duration)> during;
};

TEST_F(LinkToolTest, ActiveRunReportsEveryTerminalAsJsonAndCsv) {
  sim::Simulator simulator;  // bases 1, 2 and 5 with nine terminals
  std::string error;
  ASSERT_TRUE(simulator.Start(&error)) << error;
  const ToolRun run = Run({"--port", simulator.SlavePath(), "--seconds", "2", "--json",
                           Path("r.json"), "--csv", Path("r.csv"), "--series", Path("r.series")});
  ASSERT_EQ(run.status, 0) << run.err;

  const nlohmann::json j = nlohmann::json::parse(ReadFile(Path("r.json")));
  EXPECT_EQ(j["mode"], "active");
  EXPECT_EQ(j["seconds"], 2);
  const std::vector<std::pair<int, int>> listed = {{1, 1}, {1, 2},  {1, 3},  {1, 4}, {2, 7},
                                                   {2, 8}, {5, 11}, {5, 12}, {5, 15}};
  ASSERT_EQ(j["terminals"].size(), listed.size());
  int sent = 0;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const nlohmann::json& t = j["terminals"][i];
    EXPECT_EQ(t["base"], listed[i].first);
    EXPECT_EQ(t["terminal"], listed[i].second);
    const int sd = t["sd"];
    const int settled = t["ok"].get<int>() + t["ng"].get<int>();
    EXPECT_TRUE(sd == settled || sd == settled + 1) << t.dump();
    EXPECT_GT(t["ok"].get<int>(), 0) << t.dump();
    EXPECT_EQ(t["loss_percent"].get<double>(), 0.0);  // the default network loses nothing
    sent += sd;
  }
  // Exactly the packets the simulator saw (it may still be reading the last ones).
  EXPECT_TRUE(simulator.WaitUntil(
      [&] { return simulator.Stats().testPackets == static_cast<std::uint64_t>(sent); },
      std::chrono::seconds(20)))
      << sent << " counted, " << simulator.Stats().testPackets << " on the line";

  const std::string csv = ReadFile(Path("r.csv"));
  EXPECT_EQ(csv.rfind("base,terminal,sd,ok,ng,tm,av,loss_percent,sent,", 0), 0u) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 10);

  // The true totals and the per-second series count the same packets.
  EXPECT_EQ(j["totals"]["sent"], sent);
  std::istringstream series(ReadFile(Path("r.series")));
  std::string line;
  std::getline(series, line);
  EXPECT_EQ(line, "second,terminal,sent,good,lost,mean_reply_ms,unanswered");
  int seriesSent = 0;
  while (std::getline(series, line)) {
    int second = 0, terminal = 0, packets = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,%d,", &second, &terminal, &packets), 3) << line;
    seriesSent += packets;
  }
  EXPECT_EQ(seriesSent, sent);
  EXPECT_NE(run.out.find("ACTIVE link test on"), std::string::npos) << run.out;
}

TEST_F(LinkToolTest, PassiveRunCountsTheTerminalsOwnTraffic) {
  sim::Scenario scenario = sim::Scenario::Default();
  scenario.passive.ratePerTerminal = 5;
  sim::Simulator simulator(scenario);
  ASSERT_TRUE(simulator.Start());
  const ToolRun run = Run(
      {"--port", simulator.SlavePath(), "--seconds", "2", "--passive", "--json", Path("r.json")});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json j = nlohmann::json::parse(ReadFile(Path("r.json")));
  EXPECT_EQ(j["mode"], "passive");
  int received = 0;
  for (const nlohmann::json& t : j["terminals"]) {
    EXPECT_FALSE(t.contains("sd"));
    received += t["re"].get<int>();
  }
  EXPECT_GT(received, 0);
  // Messages before the switch to PASSIVE are not counted; each one counted
  // was echoed (one may come in between the last table and the close).
  EXPECT_LE(static_cast<std::uint64_t>(received), simulator.Stats().passiveSent);
  simulator.WaitUntil(
      [&] { return simulator.Stats().passiveEchoes >= static_cast<std::uint64_t>(received); },
      std::chrono::seconds(20));
  EXPECT_NEAR(static_cast<double>(received), static_cast<double>(simulator.Stats().passiveEchoes),
              2.0);
}

TEST_F(LinkToolTest, CtrlCEndsTheTestEarlyAndStillReports) {
  sim::Simulator simulator;
  ASSERT_TRUE(simulator.Start());
  const ToolRun run =
      Run({"--port", simulator.SlavePath(), "--seconds", "600", "--json", Path("r.json")}, 4000);
  ASSERT_EQ(run.status, 130) << run.err;
  EXPECT_NE(run.out.find("interrupted after"), std::string::npos) << run.out;
  const nlohmann::json j = nlohmann::json::parse(ReadFile(Path("r.json")));
  EXPECT_LT(j["seconds"].get<int>(), 600);
  EXPECT_EQ(j["requested_seconds"], 600);
  EXPECT_TRUE(j["interrupted"].get<bool>());
  EXPECT_EQ(j["terminals"].size(), 9u);
}

// The far end hangs up mid-test, as a pulled adapter does: no loss counted
// for it, the results marked, a status of its own.
TEST_F(LinkToolTest, ALostLinkIsReportedAndNeverCountedAsRadioLoss) {
  sim::Simulator simulator;
  ASSERT_TRUE(simulator.Start());
  bool stopped = false;
  during = [&](std::chrono::steady_clock::duration elapsed) {
    if (!stopped && elapsed >= std::chrono::milliseconds(4000)) {
      simulator.Stop();
      stopped = true;
    }
  };
  const ToolRun run =
      Run({"--port", simulator.SlavePath(), "--seconds", "600", "--json", Path("r.json")});
  EXPECT_EQ(run.status, 6) << run.err;
  EXPECT_NE(run.err.find("tessaro-linktest: link lost after "), std::string::npos) << run.err;
  const nlohmann::json j = nlohmann::json::parse(ReadFile(Path("r.json")));
  EXPECT_TRUE(j["link_lost"].get<bool>());
  EXPECT_GT(j["link_lost_after_s"].get<double>(), 0.0);
  EXPECT_GT(j["totals"]["sent"].get<long>(), 0);
  EXPECT_EQ(j["totals"]["lost"].get<long>(), 0) << j.dump();
  EXPECT_LT(j["seconds"].get<int>(), 600);
}

// --reconnect: the line comes back under the same name (a new pty behind the
// same link) and the test goes on with its counters; the gap is in the JSON.
TEST_F(LinkToolTest, ReconnectGoesOnWhenTheSameLineComesBack) {
  const sim::Endpoint where{"", Path("line")};
  sim::Simulator simulator;
  ASSERT_TRUE(simulator.Start(where));
  int step = 0;
  during = [&](std::chrono::steady_clock::duration elapsed) {
    if (step == 0 && elapsed >= std::chrono::milliseconds(4000)) {
      simulator.Stop();
      step = 1;
    } else if (step == 1 && elapsed >= std::chrono::milliseconds(6000)) {
      ASSERT_TRUE(simulator.Start(where));
      step = 2;
    }
  };
  const ToolRun run = Run({"--port", Path("line"), "--reconnect", "--seconds", "8", "--json",
                           Path("r.json"), "--trace", Path("trace")});
  ASSERT_EQ(step, 2);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("link back after"), std::string::npos) << run.err;
  const nlohmann::json j = nlohmann::json::parse(ReadFile(Path("r.json")));
  ASSERT_EQ(j["gaps"].size(), 1u) << j.dump();
  const double lost = j["gaps"][0]["lost_after_s"].get<double>();
  const double back = j["gaps"][0]["back_after_s"].get<double>();
  EXPECT_GT(back - lost, 1.0);
  // Each figure is rounded to the millisecond on its own.
  EXPECT_NEAR(j["gaps"][0]["gap_s"].get<double>(), back - lost, 0.0015);
  // Lost once and back once: the link is up at the end.
  EXPECT_FALSE(j["link_lost"].get<bool>());
  EXPECT_EQ(j["link_losses"], 1);
  EXPECT_EQ(j["link_returns"], 1);
  EXPECT_EQ(j["totals"]["lost"].get<long>(), 0) << j.dump();
  // Echoes came after the return: the new simulator answered the test.
  EXPECT_GT(simulator.Stats().echoesSent, 0u);

  // The trace says once that the device could not be opened, and replays
  // across the gap, the packets after the return included.
  const std::string trace = ReadFile(Path("trace"));
  std::size_t failed = 0;
  for (std::size_t at = trace.find(" failed\n"); at != std::string::npos;
       at = trace.find(" failed\n", at + 1))
    ++failed;
  EXPECT_EQ(failed, 1u) << trace.substr(0, 4000);
  EXPECT_NE(trace.find(" test reconnect in="), std::string::npos);
  testing::ToolProcess replay;
  ASSERT_TRUE(
      replay.Start({TESSARO_REPLAY_TOOL, "--trace", Path("trace")}, Path("replay"), Path("err")));
  EXPECT_EQ(replay.Wait(std::chrono::seconds(60)), 0) << ReadFile(Path("replay"));
}

// Runs that are not a clean pass end with a status a script can tell from
// one, and still write their results.
TEST_F(LinkToolTest, ARunThatIsNoCleanPassSaysWhyWithAStatusOfItsOwn) {
  struct Case {
    const char* name;
    std::function<void(sim::Scenario&)> network;
    std::vector<std::string> args;
    bool readerGoesAway;  // standard output is a pipe closed after the first line
    int status;
    const char* says;                                  // on standard error
    std::function<void(const nlohmann::json&)> check;  // null: no results expected
  };
  const std::vector<Case> cases = {
      {"a silent radio link: nothing echoed, nothing reported",
       [](sim::Scenario& s) { s.faults.silentLoss = 1.0; },
       {"--seconds", "4"},
       false,
       7,
       "warning: 9 packet(s) drew neither an echo nor a report",
       [](const nlohmann::json& j) {
         EXPECT_EQ(j["totals"]["unanswered"], j["totals"]["sent"]);
         EXPECT_DOUBLE_EQ(j["totals"]["loss_percent"].get<double>(), 100.0);
         EXPECT_EQ(j["stalled_terminals"].size(), 9u);
         EXPECT_EQ(j["terminals"][0]["unanswered"], 1);
       }},
      {"no terminal behind the bases",
       [](sim::Scenario& s) {
         for (sim::BaseSetup& b : s.bases) b.terminals.clear();
       },
       {"--seconds", "1", "--wait", "2"},
       false,
       8,
       "no terminal was tested",
       [](const nlohmann::json& j) { EXPECT_TRUE(j["terminals"].empty()); }},
      {"every other echo twice",
       [](sim::Scenario& s) { s.faults.echoDuplicate = 0.5; },
       {"--seconds", "2"},
       false,
       0,
       "",
       [](const nlohmann::json& j) {
         EXPECT_GT(j["totals"]["duplicates"].get<long>(), 0);
         EXPECT_LE(j["totals"]["good"].get<long>(), j["totals"]["sent"].get<long>());
         for (const nlohmann::json& t : j["terminals"]) EXPECT_LE(t["good"], t["sent"]);
       }},
      {"a trace on a full device: refused before the port opens",
       [](sim::Scenario&) {},
       {"--seconds", "1", "--trace", "/dev/full"},
       false,
       5,
       "cannot write /dev/full",
       nullptr},
      {"the reader of standard output goes away (| head -2)",
       [](sim::Scenario&) {},
       {"--seconds", "2"},
       true,
       5,
       "cannot write the standard output",
       [](const nlohmann::json& j) { EXPECT_GT(j["totals"]["good"].get<long>(), 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::Scenario scenario = sim::Scenario::Default();
    c.network(scenario);
    sim::Simulator simulator(scenario);
    ASSERT_TRUE(simulator.Start());
    std::vector<std::string> args = {"--port", simulator.SlavePath(), "--json", Path("r.json")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    unlink(Path("r.json").c_str());
    int reader = -1;
    if (c.readerGoesAway) {
      unlink(Path("fifo").c_str());
      ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
      reader = open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
      during = [&](std::chrono::steady_clock::duration) {
        char line[64];
        if (reader >= 0 && read(reader, line, sizeof line) > 0) {
          close(reader);
          reader = -1;
        }
      };
    }
    const ToolRun run = Run(args, 0, false, c.readerGoesAway ? Path("fifo") : "");
    during = nullptr;
    if (reader >= 0) close(reader);
    unlink(Path("fifo").c_str());
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    const std::string json = ReadFile(Path("r.json"));
    if (!c.check) {
      EXPECT_TRUE(json.empty()) << json;  // no test ran
      continue;
    }
    ASSERT_FALSE(json.empty());
    c.check(nlohmann::json::parse(json));
  }
}

TEST_F(LinkToolTest, LiveTableIsRedrawnInPlaceOnATerminal) {
  sim::Simulator simulator;
  ASSERT_TRUE(simulator.Start());
  const ToolRun run = Run({"--port", simulator.SlavePath(), "--seconds", "2"}, 0, true);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("ACTIVE link test on " + simulator.SlavePath() + ": 0 s of 2 s"),
            std::string::npos)
      << run.out;
  // Each refresh moves the cursor back over the table and clears below it.
  EXPECT_NE(run.out.find("\x1b[11A\x1b[J"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("sent "), std::string::npos);
}

// A trace keeps what drives the test (START, STOP, the mode, each time-out),
// so that the replay makes every recorded test packet and echo again; the
// same trace with its packets rewritten to another terminal differs.
TEST_F(LinkToolTest, ATraceOfTheTestReplaysEveryTestPacket) {
  struct Case {
    const char* name;
    bool passive;
    const char* mark;  // a test line the trace must hold
  };
  for (const Case& c : {Case{"ACTIVE with losses", false, " test timeout "},
                        Case{"PASSIVE with duplicates", true, " test mode passive in="}}) {
    SCOPED_TRACE(c.name);
    sim::Scenario scenario = sim::Scenario::Default();
    scenario.faults.echoLoss = c.passive ? 0.0 : 0.2;
    scenario.faults.echoDuplicate = 0.2;
    scenario.passive.ratePerTerminal = c.passive ? 5 : 0;
    sim::Simulator simulator(scenario);
    ASSERT_TRUE(simulator.Start());
    std::vector<std::string> args = {"--port",  simulator.SlavePath(), "--seconds", "3",
                                     "--trace", Path("trace")};
    if (c.passive) args.push_back("--passive");
    const ToolRun run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string trace = ReadFile(Path("trace"));
    EXPECT_NE(trace.find(c.mark), std::string::npos) << trace;

    // Every recorded test packet (echo) is compared, and matches.
    std::istringstream lines(trace);
    std::string line, rewritten;
    int packets = 0;
    while (std::getline(lines, line)) {
      const std::size_t at = line.find(" > @DT");
      if (at != std::string::npos) {
        ++packets;
        line.replace(at + 6, 2, "99");
      }
      rewritten += line + "\n";
    }
    ASSERT_GT(packets, 20);
    const auto replay = [&] {
      testing::ToolProcess tool;
      EXPECT_TRUE(
          tool.Start({TESSARO_REPLAY_TOOL, "--trace", Path("trace")}, Path("replay"), Path("err")));
      return ToolRun{tool.Wait(std::chrono::seconds(60)), ReadFile(Path("replay")), ""};
    };
    ToolRun same = replay();
    EXPECT_EQ(same.status, 0) << same.out;
    int compared = 0, differ = -1;
    const std::size_t summary = same.out.find(" writes recorded, ");
    ASSERT_NE(summary, std::string::npos) << same.out;
    EXPECT_EQ(std::sscanf(same.out.c_str() + summary, " writes recorded, %d compared, %d differ",
                          &compared, &differ),
              2);
    EXPECT_GE(compared, packets) << same.out;
    EXPECT_EQ(differ, 0) << same.out;

    { std::ofstream(Path("trace")) << rewritten; }
    const ToolRun other = replay();
    EXPECT_EQ(other.status, 3) << other.out;
    EXPECT_NE(other.out.find("the tool does not send it"), std::string::npos) << other.out;
  }
}

TEST_F(LinkToolTest, FailuresExitNonZeroWithAClearMessage) {
  // A run that fails at once leaves an earlier trace as it was.
  { std::ofstream(Path("trace")) << "keep"; }
  ToolRun run = Run({"--port", "/nonexistent/tty", "--trace", Path("trace")});
  EXPECT_EQ(ReadFile(Path("trace")), "keep");
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("cannot open the port /nonexistent/tty: No such file or directory"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("  Device: /nonexistent/tty\n"), std::string::npos) << run.err;

  // A line with nothing behind it: the status poll gets no answer.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  { std::ofstream(Path("r.json")) << "keep"; }
  run = Run({"--port", ptsname(master), "--wait", "1", "--json", Path("r.json")});
  close(master);
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.err.find("no base answered"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(Path("r.json")), "keep");  // a failed run leaves earlier results

  run = Run({"--port", "COM1", "--seconds", "soon"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--seconds"), std::string::npos) << run.err;

  run = Run({"--port", "COM1", "--json", "/nonexistent/dir/r.json"});
  EXPECT_EQ(run.status, 5);
  EXPECT_NE(run.err.find("cannot write /nonexistent/dir/r.json"), std::string::npos) << run.err;

  run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--port NAME"), std::string::npos);

  run = Run({"--help"}, 0, false, "/dev/full");
  EXPECT_EQ(run.status, 5);
  EXPECT_NE(run.err.find("cannot write the standard output: No space left on device"),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace tessaro::e2e
