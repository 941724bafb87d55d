#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
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

constexpr int kHighestCom = 6;

// n for "COMn" in any case (n a decimal number, at most 9 digits); -1 for
// any other name.
int ComNumber(const char* name) {
  if (strncasecmp(name, "COM", 3) != 0 || name[3] == '\0') return -1;
  int n = 0;
  for (const char* p = name + 3; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9' || p - name > 11) return -1;
    n = n * 10 + (*p - '0');
  }
  return n;
}

bool Mapped(int com) {
  return com >= 1 && com <= kHighestCom;
}

// "TESSARO_COM1" .. "TESSARO_COM6".
void VariableOf(int com, char (&variable)[16]) {
  std::snprintf(variable, sizeof variable, "TESSARO_COM%d", com);
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
  if (com < 0) {
    written = std::snprintf(path, size, "%s", name);
  } else if (!Mapped(com)) {
    return false;
  } else {
    char variable[16];
    VariableOf(com, variable);
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

void DescribePortName(const char* name, char* out, std::size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  const int com = name != nullptr ? ComNumber(name) : -1;
  if (com < 0) return;
  if (!Mapped(com)) {
    std::snprintf(out, size,
                  "%s stands for no device here: COM1 .. COM6 are $TESSARO_COM1 .. "
                  "$TESSARO_COM6, else /dev/ttyS0 .. /dev/ttyS5. Give a device path, such as "
                  "/dev/ttyUSB0 (./%s for a file of that name).",
                  name, name);
    return;
  }
  char variable[16];
  VariableOf(com, variable);
  const char* configured = std::getenv(variable);
  if (configured != nullptr && configured[0] != '\0') {
    std::snprintf(out, size, "%s is %s (from %s).", name, configured, variable);
  } else {
    std::snprintf(out, size, "%s is /dev/ttyS%d (%s is %s).", name, com - 1, variable,
                  configured == nullptr ? "not set" : "set but empty");
  }
}

}  // namespace tessaro
