#include "tools/common/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessaro::cli {

bool StandardOutputArrived(const char* program) {
  // errno is left as it is: a write that failed earlier set it.
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  const int error = errno;
  std::fprintf(stderr, "%s: cannot write the standard output: %s\n", program,
               error != 0 ? std::strerror(error) : "write error");
  return false;
}

}  // namespace tessaro::cli
