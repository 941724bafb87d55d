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
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = -1;
    while (!Ended(&status)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        Kill();
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
  }

  // Whether the program has ended (or was never started), without waiting;
  // its exit status in `status` then, -1 when it died of a signal.
  bool Ended(int* status) {
    if (pid_ <= 0) {
      *status = -1;
      return true;
    }
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) != pid_) return false;
    pid_ = 0;
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return true;
  }

  // Ends the program at once, if it still runs.
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = 0;
};

}  // namespace tessaro::testing
