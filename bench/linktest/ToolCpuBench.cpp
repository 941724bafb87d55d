// Processor use of tessaro-linktest on a 115200-paced line with 99 terminals
// under test: the tool runs as its own process against the simulator, and its
// user and system time come from wait4().
//
//   bench_linktest_tool_cpu [SECONDS]   (default 20)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "sim/Simulator.h"

using namespace tessaro;

namespace {

// The good echoes and the terminals in the tool's JSON results.
bool ReadResults(const std::string& path, long long& ok, long long& terminals) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  try {
    const nlohmann::json results = nlohmann::json::parse(text.str());
    for (const auto& t : results.at("terminals")) {
      ok += t.at("ok").get<long long>();
      ++terminals;
    }
    return true;
  } catch (const nlohmann::json::exception& e) {
    std::fprintf(stderr, "the tool's results: %s\n", e.what());
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  sim::Scenario scenario;
  for (int b = 1; b <= 3; ++b) {
    sim::BaseSetup base;
    base.number = b;
    base.mode = b == 1 ? '3' : '2';
    for (int t = 1; t <= 33; ++t) base.terminals.push_back((b - 1) * 33 + t);
    scenario.bases.push_back(base);
  }
  scenario.line.pace = true;  // 115200 bps: about 11,520 bytes a second
  sim::Simulator simulator(scenario);
  std::string error;
  if (!simulator.Start(&error)) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return 1;
  }

  char dir[] = "/tmp/tessaro-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string json = std::string(dir) + "/r.json";
  const std::string secondsText = std::to_string(seconds);
  std::vector<std::string> args = {TESSARO_LINKTEST_TOOL,
                                   "--port",
                                   simulator.SlavePath(),
                                   "--seconds",
                                   secondsText,
                                   "--interval",
                                   "0",
                                   "--json",
                                   json};
  std::vector<char*> argv2;
  argv2.reserve(args.size() + 1);
  for (std::string& a : args) argv2.push_back(a.data());
  argv2.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const auto start = std::chrono::steady_clock::now();
  if (posix_spawn(&pid, argv2[0], &actions, nullptr, argv2.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv2[0]);
    return 1;
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the tool failed\n");
    return 1;
  }
  const double user = static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
  const double sys = static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;

  long long ok = 0;
  long long terminals = 0;
  const bool read = ReadResults(json, ok, terminals);
  std::remove(json.c_str());
  rmdir(dir);
  if (!read) return 1;

  std::printf("tessaro-linktest on a 115200-paced line, %lld terminals, %d s test:\n", terminals,
              seconds);
  std::printf("  %.1f%% of one core over the whole run (%.1f s wall: user %.2f s, system %.2f s)\n",
              100.0 * (user + sys) / wall, wall, user, sys);
  std::printf("  %lld good echoes, %.0f per second of test; max RSS %ld KiB\n", ok,
              static_cast<double>(ok) / seconds, usage.ru_maxrss);
  return 0;
}
