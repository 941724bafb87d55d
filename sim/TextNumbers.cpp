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

bool ParseBurst(const std::string& text, BurstLoss& burst) {
  if (text == "off") {
    burst = BurstLoss{};
    return true;
  }
  double p[4] = {0.0, 0.0, 0.0, 1.0};
  std::size_t count = 0;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = text.find(',', from);
    const std::string part = text.substr(from, comma == std::string::npos ? comma : comma - from);
    if (count == 4 || !ParseDouble(part, 0.0, 1.0, p[count])) return false;
    ++count;
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  if (count != 2 && count != 4) return false;
  burst = BurstLoss{p[0], p[1], p[2], p[3]};
  return true;
}

bool ParseInt(const std::string& text, long long low, long long high, int& value) {
  long long v = 0;
  if (!ParseInt(text, low, high, v)) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace tessaro::sim
