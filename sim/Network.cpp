#include "sim/Network.h"

#include <cstdio>

#include "link/PortSettings.h"
#include "protocol/Digits.h"

namespace tessaro::sim {

namespace {

BaseState FromSetup(const BaseSetup& setup) {
  BaseState b;
  b.present = true;
  b.channel = setup.channel;
  b.group = setup.group;
  b.power = setup.power;
  b.mode = setup.mode;
  b.timeoutSeconds = setup.timeoutSeconds;
  b.baudIndex = setup.baudIndex;
  for (int t : setup.terminals) {
    if (IsTerminalNumber(t)) b.terminal[t] = true;
  }
  return b;
}

const char* ModeName(char mode) {
  switch (mode) {
    case '1':
      return "stand alone";
    case '2':
      return "slave";
    case '3':
      return "master";
    default:
      return "?";
  }
}

}  // namespace

void Network::Load(const Scenario& scenario) {
  for (BaseState& b : bases_) b = BaseState{};
  for (const BaseSetup& setup : scenario.bases) {
    if (IsBaseNumber(setup.number)) bases_[setup.number] = FromSetup(setup);
  }
  attached_ = scenario.attachedBase;
}

void Network::Store(Scenario& scenario) const {
  scenario.bases.clear();
  for (int n = 1; n <= kMaxBase; ++n) {
    const BaseState& b = bases_[n];
    if (!b.present) continue;
    BaseSetup setup;
    setup.number = n;
    setup.channel = b.channel;
    setup.group = b.group;
    setup.power = b.power;
    setup.mode = b.mode;
    setup.timeoutSeconds = b.timeoutSeconds;
    setup.baudIndex = b.baudIndex;
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (b.terminal[t]) setup.terminals.push_back(t);
    }
    scenario.bases.push_back(setup);
  }
  scenario.attachedBase = attached_;
}

int Network::BaseOf(int terminal) const {
  if (!IsTerminalNumber(terminal)) return 0;
  for (int n = 1; n <= kMaxBase; ++n) {
    if (bases_[n].present && bases_[n].terminal[terminal]) return n;
  }
  return 0;
}

int Network::TerminalCount() const {
  int count = 0;
  for (int n = 1; n <= kMaxBase; ++n) {
    if (!bases_[n].present) continue;
    for (int t = 1; t <= kMaxTerminal; ++t) count += bases_[n].terminal[t] ? 1 : 0;
  }
  return count;
}

bool Network::NthTerminal(int index, int& base, int& terminal) const {
  for (int n = 1; n <= kMaxBase; ++n) {
    if (!bases_[n].present) continue;
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (!bases_[n].terminal[t]) continue;
      if (index-- == 0) {
        base = n;
        terminal = t;
        return true;
      }
    }
  }
  return false;
}

bool Network::AddTerminal(int base, int terminal) {
  if (!Present(base) || !IsTerminalNumber(terminal)) return false;
  bases_[base].terminal[terminal] = true;
  return true;
}

bool Network::RemoveTerminal(int terminal) {
  if (!IsTerminalNumber(terminal)) return false;
  bool found = false;
  for (int n = 1; n <= kMaxBase; ++n) {
    if (bases_[n].present && bases_[n].terminal[terminal]) {
      bases_[n].terminal[terminal] = false;
      found = true;
    }
  }
  return found;
}

bool Network::MoveBase(int from, int to) {
  if (!Present(from) || !IsBaseNumber(to)) return false;
  if (from == to) return true;
  if (bases_[to].present) return false;
  bases_[to] = bases_[from];
  bases_[from] = BaseState{};
  if (attached_ == from) attached_ = to;
  return true;
}

bool Network::AddBase(const BaseSetup& setup) {
  if (!IsBaseNumber(setup.number) || bases_[setup.number].present) return false;
  bases_[setup.number] = FromSetup(setup);
  return true;
}

bool Network::RemoveBase(int number) {
  if (!Present(number) || number == attached_) return false;
  bases_[number] = BaseState{};
  return true;
}

int Network::FormatBaseList(char* out) const {
  int length = 0;
  out[length++] = '@';
  out[length++] = 'B';
  out[length++] = 'S';
  for (int n = 1; n <= kMaxBase; ++n) {
    if (!bases_[n].present) continue;
    EncodeTwoDigits(n, out + length);
    length += 2;
    out[length++] = bases_[n].group;
    out[length++] = bases_[n].channel;
  }
  out[length++] = '\r';
  return length;
}

int Network::FormatTerminalList(int base, char* out) const {
  int length = 0;
  out[length++] = '@';
  out[length++] = 'T';
  out[length++] = 'M';
  EncodeTwoDigits(base, out + length);
  length += 2;
  if (Present(base)) {
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (!bases_[base].terminal[t]) continue;
      EncodeTwoDigits(t, out + length);
      length += 2;
    }
  }
  out[length++] = '\r';
  return length;
}

std::string Network::Describe() const {
  std::string text;
  char line[128];
  for (int n = 1; n <= kMaxBase; ++n) {
    const BaseState& b = bases_[n];
    if (!b.present) continue;
    std::snprintf(line, sizeof line,
                  "base %02d%s  channel %c  group %c  power %c  mode %c (%s)  time-out %d s  "
                  "%s bps  terminals:",
                  n, n == attached_ ? " (attached)" : "", b.channel, b.group, b.power, b.mode,
                  ModeName(b.mode), b.timeoutSeconds, BaudTable[b.baudIndex].text);
    text += line;
    bool any = false;
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (!b.terminal[t]) continue;
      std::snprintf(line, sizeof line, " %02d", t);
      text += line;
      any = true;
    }
    if (!any) text += " none";
    text += '\n';
  }
  return text;
}

}  // namespace tessaro::sim
