#pragma once

#include "link/PortSettings.h"
#include "linktest/TestState.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// The shared records as a front end may see them: read-only, and valid only
// inside the visitor given to Engine::Read, which runs under the engine lock.
// Keep the visitor short; the reader thread waits for it.
struct EngineView {
  const PortSettings& settings;
  const StationRegistry& registry;
  const TestState& test;
  const TestCriteria& criteria;
  int sixChannelMode;
  bool portOpen;
  // The mark the view shows (app/ViewNotices.h), nullptr for none.
  const char* notice;
};

// A copy of the same records, taken at one instant under the engine lock, to
// be read at leisure.
struct EngineSnapshot {
  PortSettings settings;
  StationRegistry registry;
  TestState test;
  TestCriteria criteria;
  int sixChannelMode = 0;
  bool portOpen = false;
  const char* notice = nullptr;
};

}  // namespace tessaro
