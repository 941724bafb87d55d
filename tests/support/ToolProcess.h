#pragma once

// One of our command-line programs run as a child process, its standard
// output and error in files.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tessaro::testing {

class ToolProcess {
 public:
  ~ToolProcess() {
    if (pid_ > 0) (void)Wait(std::chrono::seconds(0));
  }

  // Starts `args` (the program first); false when it cannot be started.
  bool Start(std::vector<std::string> args, const std::string& outPath,
             const std::string& errPath) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    // Nothing else of the test's: an inherited pty master would keep the
    // line up after the simulator has hung up.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) pid_ = 0;
    return spawned == 0;
  }

  // The exit status once the program has ended by itself; -1 when it did not
  // within `timeout` (it is killed then) or died of a signal.
  int Wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
      if (std::chrono::steady_clock::now() >= deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = 0;
};

}  // namespace tessaro::testing
