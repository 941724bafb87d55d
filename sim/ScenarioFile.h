#pragma once

// Reads a scenario from JSON text or a file.  Every key is optional and
// starts from Scenario::Default(); unknown keys and wrong types are errors,
// so that a typing mistake does not silently leave a default in force.

#include <string>

#include "sim/Scenario.h"

namespace tessaro::sim {

// false with a reason ("bases[1].channel: must be 1..4") on any fault; the
// scenario is then left as it was.
bool ParseScenario(const std::string& text, Scenario& scenario, std::string* error);
bool LoadScenarioFile(const std::string& path, Scenario& scenario, std::string* error);

}  // namespace tessaro::sim
