#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "link/PortNames.h"

namespace tessaro {

namespace {

// True for "COMn" in any case with n a decimal number.
bool IsComName(const char* name) {
  if (std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
      std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
      std::toupper(static_cast<unsigned char>(name[2])) != 'M' || name[3] == '\0') {
    return false;
  }
  for (const char* p = name + 3; *p != '\0'; ++p) {
    if (std::isdigit(static_cast<unsigned char>(*p)) == 0) return false;
  }
  return true;
}

}  // namespace

bool ResolvePortName(const char* name, char* path, std::size_t size) {
  if (name == nullptr || path == nullptr || size == 0 || name[0] == '\0') return false;
  // Plain "COM1".."COM9" open as they are, but "COM10" and above only in the
  // device namespace; every COM name goes there alike.
  const int written = IsComName(name) ? std::snprintf(path, size, "\\\\.\\%s", name)
                                      : std::snprintf(path, size, "%s", name);
  return written > 0 && static_cast<std::size_t>(written) < size;
}

void DescribePortName(const char* name, char* out, std::size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  if (name == nullptr || !IsComName(name)) return;
  std::snprintf(out, size, "%s is the device \\\\.\\%s.", name, name);
}

std::vector<std::string> ListSerialPorts() {
  std::vector<std::string> ports;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return ports;
  }
  for (DWORD index = 0;; ++index) {
    char valueName[256];
    DWORD valueNameSize = sizeof valueName;
    char data[256];
    DWORD dataSize = sizeof data - 1;
    DWORD type = 0;
    const LONG got = RegEnumValueA(key, index, valueName, &valueNameSize, nullptr, &type,
                                   reinterpret_cast<BYTE*>(data), &dataSize);
    if (got == ERROR_NO_MORE_ITEMS) break;
    // A value too long for the buffer names no port this program can show.
    if (got != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize] = '\0';  // the stored string need not end in a zero
    if (data[0] != '\0') ports.emplace_back(data);
  }
  RegCloseKey(key);
  std::sort(ports.begin(), ports.end(), PortNameLess);
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  return ports;
}

}  // namespace tessaro
