#pragma once

// The operator's console of tessaro-basesim: one command per line, the
// answer as text.  The same operations as the Simulator's API.

#include <string>

#include "sim/Simulator.h"

namespace tessaro::sim {

class Console {
 public:
  explicit Console(Simulator& simulator) : sim_(simulator) {}

  // Runs one command line; returns what to print (ending in a newline, or
  // empty).  Sets Quit() after "quit".
  std::string Execute(const std::string& line);
  bool Quit() const { return quit_; }

  static const char* HelpText();

 private:
  struct Words;
  // Each group of commands: true when it knows the command, with the
  // answer to print.
  bool NetworkCommand(const Words& words, std::string& answer);
  bool LinkCommand(const Words& words, std::string& answer);
  bool LineCommand(const Words& words, std::string& answer);
  bool ReportCommand(const Words& words, std::string& answer);
  std::string BaseCommand(const Words& words);
  std::string LoaderReport();
  std::string StatsReport();

  Simulator& sim_;
  bool quit_ = false;
};

}  // namespace tessaro::sim
