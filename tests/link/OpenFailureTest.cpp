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
      {"COM7", ENOENT, "no device behind this name", ""},
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
  // A COM name that failed says what it stood for.
  setenv("TESSARO_COM5", "", 1);
  PosixSerialPort port;
  EXPECT_FALSE(port.Open("COM5"));
  EXPECT_NE(Details(port.LastOpenFailure())
                .find("\nPort: COM5 is /dev/ttyS4 (TESSARO_COM5 is set but empty).\n"),
            std::string::npos)
      << Details(port.LastOpenFailure());
  unsetenv("TESSARO_COM5");
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

// What an unprivileged user (nobody, which only root can become) is told
// about a device it may not open.
std::string DetailsAsNobody(const std::string& path) {
  int report[2];
  if (pipe(report) != 0) return "no pipe";
  const pid_t child = fork();
  if (child < 0) return "no fork";
  if (child == 0) {
    close(report[0]);
    const gid_t none = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(none) != 0 || setuid(65534) != 0) _exit(2);
    PosixSerialPort port;
    const bool opened = port.Open(path.c_str());
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
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "child failed";
}

// A group is suggested only when joining it would help and is safe.
TEST(OpenFailure, NoPermissionSuggestsOnlyAGroupThatMayUseTheDevice) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become an unprivileged user";
  const group* dialout = getgrnam("dialout");
  if (dialout == nullptr) GTEST_SKIP() << "no dialout group";
  const std::string ownerOnly = "The device is open to its owner only.";
  const struct {
    gid_t group;
    mode_t mode;
    std::string hint;
  } cases[] = {
      {dialout->gr_gid, 0660, "not in the group 'dialout' that may use the device"},
      {dialout->gr_gid, 0640, ownerOnly},  // the group may only read
      {0, 0600, ownerOnly},
      {0, 0660, ownerOnly},  // never root's group
  };
  for (const auto& c : cases) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    ASSERT_EQ(chown(pty.SlavePath().c_str(), 0, c.group), 0);
    ASSERT_EQ(chmod(pty.SlavePath().c_str(), c.mode), 0);
    const std::string text = DetailsAsNobody(pty.SlavePath());
    EXPECT_NE(text.find("Reason: Permission denied\n"), std::string::npos) << text;
    EXPECT_NE(text.find(c.hint), std::string::npos) << std::oct << c.mode << ": " << text;
    if (c.group == 0) {
      EXPECT_EQ(text.find("usermod"), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace tessaro
