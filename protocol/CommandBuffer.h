#pragma once

#include <cstddef>

#include "core/PortWriter.h"

namespace tessaro {

// The shared outbound line in which every "@" command except the test packets
// is built, then written whole.  Callers hold the engine lock.
class CommandBuffer {
 public:
  static constexpr std::size_t kSize = 256;

  // "@CH" nn v "\r" and the like: a property query ('0') or set.  Codes: "CH",
  // "GP", "ME", "PW".  7 bytes.
  std::size_t BuildProperty(const char* code, int base, char value);
  // "@TO" nn dd "\r": seconds 0..99 ("00" queries).  8 bytes.
  std::size_t BuildTimeout(int base, int seconds);
  // "@ID" oo nn "\r".  8 bytes.
  std::size_t BuildChangeId(int oldBase, int newBase);
  // "@SP" rate "\r" with the rate's decimal text.
  std::size_t BuildSpeed(const char* rateText);
  // "@TM" nn "\r".  6 bytes.
  std::size_t BuildTerminalQuery(int base);
  // "@UP" nn "\r".  6 bytes.
  std::size_t BuildUpdate(int base);

  // Builds and writes in one step.
  void SendProperty(PortWriter& port, const char* code, int base, char value);
  void SendTimeout(PortWriter& port, int base, int seconds);
  void SendChangeId(PortWriter& port, int oldBase, int newBase);
  void SendSpeed(PortWriter& port, const char* rateText);
  void SendTerminalQuery(PortWriter& port, int base);
  void SendUpdate(PortWriter& port, int base);

  const char* Data() const { return buffer_; }
  char* Text() { return buffer_; }

 private:
  std::size_t BuildBaseCommand(const char* prefix, int base, const char* tail, std::size_t tailLen);

  char buffer_[kSize] = {};
};

// The fixed commands, written straight from their text.
inline constexpr char kAttentionCommand[] = "@AT\r";
inline constexpr char kBaseStatusCommand[] = "@BS\r";
inline constexpr std::size_t kFixedCommandLength = 4;

}  // namespace tessaro
