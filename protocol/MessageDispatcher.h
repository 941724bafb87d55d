#pragma once

#include <cstddef>

#include "core/Display.h"
#include "core/PortWriter.h"
#include "core/TestState.h"
#include "link/PortSettings.h"
#include "protocol/CommandBuffer.h"
#include "protocol/LinkTestEntries.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// What a dispatch reads and writes.  All references outlive the dispatcher;
// every dispatch runs with the engine lock held.
struct DispatchContext {
  StationRegistry& registry;
  const PortSettings& portSettings;
  LinkTestRecord& test;
  TestCriteria& criteria;
  CommandBuffer& commands;
  PortWriter& port;
  Display& display;
  LinkTestEntries& linkTest;
};

// Acts on each complete inbound message: shows it in the status bar, finds the
// handler by its two-letter code and runs it.  Messages too short for their
// handler, with number fields that are not digits or numbers out of range are
// shown and otherwise ignored.  Keeps no state; allocates nothing.
class MessageDispatcher {
 public:
  explicit MessageDispatcher(const DispatchContext& context) : c_(context) {}

  // `message` runs from "@" through "\r" and is zero-terminated.
  void Dispatch(const char* message, std::size_t length);

 private:
  void OnBaseStatus(const char* m, std::size_t n);
  void OnProperty(const char* m, std::size_t n, char code);
  void OnTimeout(const char* m, std::size_t n);
  void OnChangeId(const char* m, std::size_t n);
  void OnTerminals(const char* m, std::size_t n);
  void OnSpeed(const char* m, std::size_t n);
  void OnWait(const char* m, std::size_t n);
  void OnReport(const char* m, std::size_t n, bool ok);
  void QueryBurst();

  DispatchContext c_;
};

}  // namespace tessaro
