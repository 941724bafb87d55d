#pragma once

// A running simulator with a PC port open on it.

#include <gtest/gtest.h>

#include <memory>

#include "sim/Simulator.h"
#include "tests/sim/PcPort.h"

namespace tessaro::sim::testing {

// The default network with a short fixed echo delay unless a test says otherwise.
inline Scenario QuickScenario() {
  Scenario s = Scenario::Default();
  s.delay = {5, 5};
  return s;
}

class SimTest : public ::testing::Test {
 protected:
  void StartWith(const Scenario& scenario) {
    sim = std::make_unique<Simulator>(scenario);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    ASSERT_TRUE(pc.Open(sim->SlavePath(), sim->BaseSpeed()));
    ASSERT_TRUE(sim->WaitUntil([this] { return sim->LineHeld(); }, 5s));
  }
  void TearDown() override {
    pc.Close();
    if (sim) sim->Stop();
  }

  // Sends a command and returns the next message that answers it.
  std::string Ask(const std::string& command) {
    pc.Send(command);
    return pc.ReadMessage();
  }

  std::unique_ptr<Simulator> sim;
  PcPort pc;
};

}  // namespace tessaro::sim::testing
