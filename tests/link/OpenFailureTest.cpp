// Why an open failed: the device, the system's reason and the hint, for each
// usual case, over real files, directories and pseudo-terminals.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "link/PosixSerialPort.h"
#include "support/PtyPair.h"

namespace tessaro {
namespace {

using testing::PtyPair;

std::string Details(const OpenFailure& failure) {
  char text[1024];
  FormatOpenFailure(failure, text, sizeof text);
  return text;
}

TEST(OpenFailure, EachRefusalSaysTheDeviceTheReasonAndAHint) {
  char file[] = "/tmp/tessaro-not-a-tty-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  close(fd);
  const struct {
    std::string path;
    int error;
    const char* reason;
    const char* hint;
  } cases[] = {
      {"/nonexistent/ttyUSB9", ENOENT, "No such file or directory", "plugged in"},
      {file, ENOTTY, "not a terminal", "no serial device"},
      {"/tmp", EISDIR, "Is a directory", "directory"},
  };
  for (const auto& c : cases) {
    PosixSerialPort port;
    EXPECT_FALSE(port.Open(c.path.c_str())) << c.path;
    const OpenFailure why = port.LastOpenFailure();
    EXPECT_EQ(why.error, c.error) << c.path;
    EXPECT_EQ(why.path, c.path);
    EXPECT_STREQ(why.reason, c.reason) << c.path;
    EXPECT_NE(std::string(why.hint).find(c.hint), std::string::npos) << why.hint;
    EXPECT_EQ(Details(why).rfind("Device: " + c.path + "\nReason: " + c.reason + "\n", 0), 0u)
        << Details(why);
  }
  unlink(file);
}

TEST(OpenFailure, APortHeldByAnotherProgramNamesTheProcess) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  int ready[2];
  int release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    close(release[1]);
    const int held = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    const char ok = held >= 0 && flock(held, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
    (void)!write(ready[1], &ok, 1);
    char sink;
    (void)!read(release[0], &sink, 1);  // until the test closes its end
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  char ok = 'n';
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');

  PosixSerialPort port;
  EXPECT_FALSE(port.Open(pty.SlavePath().c_str()));
  const OpenFailure why = port.LastOpenFailure();
  EXPECT_EQ(why.error, EWOULDBLOCK);
  EXPECT_NE(std::string(why.hint).find("Another program holds the port: process " +
                                       std::to_string(child) + " ("),
            std::string::npos)
      << why.hint;

  close(release[1]);
  close(ready[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(port.Open(pty.SlavePath().c_str()));
}

// Run as an unprivileged user (nobody), which only root can become.
TEST(OpenFailure, NoPermissionNamesTheGroupToJoin) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become an unprivileged user";
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  const group* dialout = getgrnam("dialout");
  const gid_t gid = dialout != nullptr ? dialout->gr_gid : 0;
  const std::string groupName = dialout != nullptr ? "dialout" : "root";
  ASSERT_EQ(chown(pty.SlavePath().c_str(), 0, gid), 0);
  ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0660), 0);
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(report[0]);
    const gid_t none = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(none) != 0 || setuid(65534) != 0) _exit(2);
    PosixSerialPort port;
    const bool opened = port.Open(pty.SlavePath().c_str());
    const std::string text = opened ? "opened" : Details(port.LastOpenFailure());
    (void)!write(report[1], text.data(), text.size());
    _exit(0);
  }
  close(report[1]);
  std::string text;
  char buffer[256];
  for (long n; (n = read(report[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(text.find("Reason: Permission denied\n"), std::string::npos) << text;
  EXPECT_NE(text.find("not in the group '" + groupName + "'"), std::string::npos) << text;
}

}  // namespace
}  // namespace tessaro
