#include "sim/Line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tessaro::sim {

namespace {

struct SpeedRow {
  speed_t speed;
  int baud;
};
constexpr SpeedRow kSpeeds[] = {
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

bool MakeRaw(int fd, int baud) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  const speed_t speed = BaudToSpeed(baud);
  if (speed != 0) {
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
  }
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

int SpeedToBaud(unsigned long speed) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.speed == speed) return row.baud;
  }
  return 0;
}

unsigned long BaudToSpeed(int baud) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.baud == baud) return row.speed;
  }
  return 0;
}

bool Line::OpenPty(const std::string& linkPath, int baud, std::string* error) {
  Close();
  const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Fail(error, "cannot open a pseudo-terminal");
  fd_ = fd;
  pty_ = true;
  if (grantpt(fd) != 0 || unlockpt(fd) != 0) {
    const bool r = Fail(error, "cannot unlock the pseudo-terminal");
    Close();
    return r;
  }
  char name[PATH_MAX];
  if (ptsname_r(fd, name, sizeof name) != 0) {
    const bool r = Fail(error, "cannot name the pseudo-terminal");
    Close();
    return r;
  }
  path_ = name;
  // Open the slave once ourselves: it starts raw at the base's speed (no echo,
  // no CR translation before the PC sets its own), and the master reports a
  // hang-up until a PC opens it, so nothing is written to an empty line.
  const int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave < 0) {
    const bool r = Fail(error, "cannot open " + path_);
    Close();
    return r;
  }
  MakeRaw(slave, baud);
  close(slave);
  if (!linkPath.empty()) {
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) {
        errno = EEXIST;
        const bool r = Fail(error, "will not replace " + linkPath + " (not a symlink)");
        Close();
        return r;
      }
      unlink(linkPath.c_str());
    }
    if (symlink(name, linkPath.c_str()) != 0) {
      const bool r = Fail(error, "cannot make the symlink " + linkPath);
      Close();
      return r;
    }
    link_ = linkPath;
  }
  return true;
}

bool Line::OpenDevice(const std::string& path, int baud, std::string* error) {
  Close();
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Fail(error, "cannot open " + path);
  fd_ = fd;
  pty_ = false;
  path_ = path;
  if (!isatty(fd)) {
    errno = ENOTTY;
    const bool r = Fail(error, path + " is not a serial device");
    Close();
    return r;
  }
  if (!MakeRaw(fd, baud)) {
    const bool r = Fail(error, "cannot set the line of " + path);
    Close();
    return r;
  }
  return true;
}

void Line::Close() {
  if (!link_.empty()) {
    // Only our own link: another simulator may have taken the name since.
    char target[PATH_MAX];
    const ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
    if (n > 0) {
      target[n] = '\0';
      if (path_ == target) unlink(link_.c_str());
    }
    link_.clear();
  }
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  path_.clear();
}

int Line::ReadSpeed() const {
  termios t{};
  if (fd_ < 0 || tcgetattr(fd_, &t) != 0) return 0;
  return SpeedToBaud(cfgetospeed(&t));
}

bool Line::SetSpeed(int baud) {
  if (fd_ < 0) return false;
  if (!pty_) tcdrain(fd_);
  termios t{};
  if (tcgetattr(fd_, &t) != 0) return false;
  const speed_t speed = BaudToSpeed(baud);
  if (speed == 0) return false;
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  return tcsetattr(fd_, TCSANOW, &t) == 0;
}

void Line::Discard() {
  if (fd_ < 0) return;
  tcflush(fd_, TCIOFLUSH);
  if (!pty_) return;
  // What the master wrote already sits in the slave's input queue, which
  // only a flush from the slave side empties.
  const int slave = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave < 0) return;
  tcflush(slave, TCIFLUSH);
  close(slave);
}

}  // namespace tessaro::sim
