// tessaro-download as a child process against a base on a pseudo-terminal
// paced like a 115200-baud line: image bytes per second of the packet phase
// against the packet format's ceiling, and the processor time of the whole
// program (its own getrusage, taken by wait4) against its wall time.

#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "PacedLoader.h"
#include "support/PtyPair.h"

namespace {

using tessaro::bench::Steady;

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  int imageBytes = 48 * 1024;
  if (argc > 1) imageBytes = std::max(16, std::atoi(argv[1]));
  char dir[] = "/tmp/tessaro-dltoolbench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string path = std::string(dir) + "/bench.abo";
  tessaro::bench::WriteImage(path, imageBytes);

  tessaro::testing::PtyPair pty;
  if (!pty.Ok()) return 1;
  tessaro::bench::PacedLoader loader(pty.Master());
  std::thread far([&] { loader.Run(); });

  std::string tool = TESSARO_DOWNLOAD_TOOL;
  std::string portOption = "--port";
  std::string port = pty.SlavePath();
  std::string image = path;
  char* args[] = {tool.data(), portOption.data(), port.data(), image.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const auto wall0 = Steady::now();
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = -1;
  rusage usage{};
  if (spawned == 0) wait4(pid, &status, 0, &usage);
  const double wall = std::chrono::duration<double>(Steady::now() - wall0).count();
  loader.Stop();
  far.join();
  unlink(path.c_str());
  rmdir(dir);

  const double cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  const double rate = static_cast<double>(loader.ImageBytes()) / loader.PacketSeconds();
  const double ceiling = tessaro::bench::kCeilingBytesPerSecond;
  std::printf(
      "tessaro-download of %d image bytes over a paced 115200-baud pty: %s\n", imageBytes,
      spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "completed" : "failed");
  std::printf("  packet phase         %.2f s, %.0f image bytes/s\n", loader.PacketSeconds(), rate);
  std::printf("  share of ceiling     %.1f %%  (goal: as the window's download)\n",
              100.0 * rate / ceiling);
  std::printf("  program CPU          %.3f s of %.2f s wall = %.2f %% of one core  (goal < 2 %%)\n",
              cpu, wall, 100.0 * cpu / wall);
  return 0;
}
