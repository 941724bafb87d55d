#pragma once

#include <cstddef>

namespace tessaro {

// The link test's entries that inbound messages reach.  Called on the reader
// thread with the engine lock held.
class LinkTestEntries {
 public:
  virtual ~LinkTestEntries() = default;
  // A "@DT" message, "\r" included; validated by the callee.
  virtual void AccountDataMessage(const char* message, std::size_t length) = 0;
  // "@OK" and "@NG" reports; the terminal number is already checked 1..99.
  virtual void AccountOkReport(int terminal) = 0;
  virtual void AccountNgReport(int terminal) = 0;
  // The first packet to a terminal that a base newly lists during a run.
  virtual void SendTestPacket(int terminal) = 0;
};

}  // namespace tessaro
