#pragma once

// The simulated bases and the terminals they list: fixed-size, no I/O.

#include <string>

#include "sim/Scenario.h"

namespace tessaro::sim {

struct BaseState {
  bool present = false;
  char channel = '1';
  char group = '1';
  char power = '3';
  char mode = '1';
  int timeoutSeconds = 2;
  int baudIndex = 0;
  bool terminal[100] = {};  // indexed by terminal number 1..99
};

class Network {
 public:
  void Load(const Scenario& scenario);
  // Writes the bases back into the scenario's list (ascending numbers).
  void Store(Scenario& scenario) const;

  const BaseState& Base(int number) const { return bases_[number]; }
  BaseState& Base(int number) { return bases_[number]; }
  bool Present(int number) const { return number >= 1 && number <= 16 && bases_[number].present; }
  int Attached() const { return attached_; }

  // The lowest present base that lists the terminal; 0 when none does.
  int BaseOf(int terminal) const;
  int TerminalCount() const;
  // The n-th (0-based) present terminal in base order; false past the end.
  bool NthTerminal(int n, int& base, int& terminal) const;

  bool AddTerminal(int base, int terminal);
  bool RemoveTerminal(int terminal);
  // Renumbers a base, keeping its properties and terminals.
  bool MoveBase(int from, int to);
  bool AddBase(const BaseSetup& setup);
  bool RemoveBase(int number);

  // "@BS" {nn g c}... "\r" into out (at least 80 bytes); returns the length.
  int FormatBaseList(char* out) const;
  // "@TM" nn {tt}... "\r" into out (at least 210 bytes); returns the length.
  int FormatTerminalList(int base, char* out) const;

  std::string Describe() const;

 private:
  BaseState bases_[17];
  int attached_ = 1;
};

}  // namespace tessaro::sim
