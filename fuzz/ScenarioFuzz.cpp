// Scenario files of the simulator: any text either loads into a valid
// network or is refused with a reason, never a crash or an exception.

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/ScenarioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tessaro::sim::Scenario scenario;
  std::string error;
  tessaro::sim::ParseScenario(text, scenario, &error);
  return 0;
}
