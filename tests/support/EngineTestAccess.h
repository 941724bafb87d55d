#pragma once

// The records behind the engine's operations, for tests that set up a state
// the protocol would take many messages to reach, or look at one field.
// Front ends read through Engine::Read and act through operations.

#include <mutex>

#include "app/Engine.h"

namespace tessaro {

class EngineTestAccess {
 public:
  static std::mutex& Lock(Engine& e) { return e.lock_; }
  static StationRegistry& Registry(Engine& e) { return e.registry_; }
  static PortSettings& Settings(Engine& e) { return e.settings_; }
  static TestState& Test(Engine& e) { return e.test_; }
  static TestCriteria& Criteria(Engine& e) { return e.criteria_; }
};

}  // namespace tessaro
