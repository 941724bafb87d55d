#include <windows.h>

#include "tools/metrics/MetricsExport.h"

namespace tessaro::metrics {

std::string HostName() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size) || size == 0) return "localhost";
  return std::string(name, size);
}

}  // namespace tessaro::metrics
