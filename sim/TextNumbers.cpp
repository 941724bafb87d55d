#include "sim/TextNumbers.h"

#include <cerrno>
#include <cstdlib>

namespace tessaro::sim {

bool ParseInt(const std::string& text, long long low, long long high, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

bool ParseUnsigned(const std::string& text, std::uint64_t& value) {
  if (text.empty() || text[0] == '-') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return false;
  value = v;
  return true;
}

bool ParseDouble(const std::string& text, double low, double high, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !(v >= low && v <= high)) return false;
  value = v;
  return true;
}

bool ParseDelay(const std::string& text, EchoDelay& delay) {
  const auto dash = text.find('-');
  long long low = 0;
  long long high = 0;
  if (dash == std::string::npos) {
    if (!ParseInt(text, 0, 600000, low)) return false;
    high = low;
  } else if (!ParseInt(text.substr(0, dash), 0, 600000, low) ||
             !ParseInt(text.substr(dash + 1), 0, 600000, high) || high < low) {
    return false;
  }
  delay.minMs = static_cast<int>(low);
  delay.maxMs = static_cast<int>(high);
  return true;
}

bool ParseInt(const std::string& text, long long low, long long high, int& value) {
  long long v = 0;
  if (!ParseInt(text, low, high, v)) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace tessaro::sim
