#pragma once

// The command line of tessaro-basesim.

#include <string>
#include <vector>

#include "sim/Scenario.h"
#include "sim/Simulator.h"

namespace tessaro::sim {

struct Options {
  bool help = false;
  bool version = false;
  Endpoint endpoint;
  std::string scenarioFile;
  std::string imageOut;  // each completed download is written here
  std::string trace;     // --trace: the line is recorded here
  bool console = true;   // read commands from standard input
  bool quiet = false;
  int baud = 0;       // --baud: the attached base's speed (0: as the scenario says)
  Scenario scenario;  // the file (or the default network) with the options applied
};

// Parses argv[1..]; false with a one-line reason on a bad option or value, or
// when the scenario file cannot be used.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string* error);

// The --help text.
const char* UsageText();

}  // namespace tessaro::sim
