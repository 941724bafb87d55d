#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#define TESSARO_HAVE_SERIAL_STRUCT 1
#endif

#include "link/PortNames.h"

namespace tessaro {

namespace {

// 1..6 for "COM1".."COM6", else 0.
int ComNumber(const char* name) {
  if (std::strncmp(name, "COM", 3) != 0) return 0;
  if (name[3] < '1' || name[3] > '6' || name[4] != '\0') return 0;
  return name[3] - '0';
}

// The kernel makes ttyS0..ttyS3 (and more) whether or not a UART answers
// there; only one it found has a port type.
bool UartPresent(const char* path) {
#ifdef TESSARO_HAVE_SERIAL_STRUCT
  const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct serial{};
  const bool present = ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type != PORT_UNKNOWN;
  close(fd);
  return present;
#else
  (void)path;
  return true;
#endif
}

}  // namespace

std::vector<std::string> ListSerialPorts() {
  std::vector<std::string> ports;
  DIR* dir = opendir("/sys/class/tty");
  if (dir == nullptr) return ports;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind("tty", 0) != 0) continue;
    // Virtual terminals and ptys have no device behind them.
    struct stat info {};
    if (stat(("/sys/class/tty/" + name + "/device").c_str(), &info) != 0) continue;
    const std::string path = "/dev/" + name;
    if (name.rfind("ttyS", 0) == 0 && !UartPresent(path.c_str())) continue;
    ports.push_back(path);
  }
  closedir(dir);
  std::sort(ports.begin(), ports.end(), PortNameLess);
  return ports;
}

bool ResolvePortName(const char* name, char* path, std::size_t size) {
  if (name == nullptr || path == nullptr || size == 0) return false;
  const int com = ComNumber(name);
  int written = 0;
  if (com == 0) {
    written = std::snprintf(path, size, "%s", name);
  } else {
    char variable[] = "TESSARO_COM0";
    variable[sizeof variable - 2] = static_cast<char>('0' + com);
    // Read once at each open; nothing in the program sets it, so the reader
    // thread never races a writer of the environment.
    const char* configured = std::getenv(variable);
    if (configured != nullptr && configured[0] != '\0') {
      written = std::snprintf(path, size, "%s", configured);
    } else {
      written = std::snprintf(path, size, "/dev/ttyS%d", com - 1);
    }
  }
  return written > 0 && static_cast<std::size_t>(written) < size;
}

}  // namespace tessaro
