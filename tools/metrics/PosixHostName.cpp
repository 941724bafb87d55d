#include <unistd.h>

#include "tools/metrics/MetricsExport.h"

namespace tessaro::metrics {

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

}  // namespace tessaro::metrics
