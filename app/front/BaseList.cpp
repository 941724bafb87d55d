#include "app/front/BaseList.h"

#include "app/Engine.h"
#include "app/front/DialogNumbers.h"

namespace tessaro {

std::vector<int> PresentBases(const StationRegistry& registry) {
  std::vector<int> bases;
  for (int b = 1; b <= kMaxBase; ++b) {
    if (registry.IsBasePresent(b)) bases.push_back(b);
  }
  return bases;
}

std::vector<int> PresentBases(const Engine& engine) {
  return engine.Read([](const EngineView& v) { return PresentBases(v.registry); });
}

int DiscoveredSize(const Engine& engine) {
  return engine.Read([](const EngineView& v) {
    const StationRegistry& r = v.registry;
    int size = 0;
    for (int b = 1; b <= kMaxBase; ++b) {
      if (!r.IsBasePresent(b)) continue;
      size += 100;
      for (int t = 1; t <= kMaxTerminal; ++t) size += r.IsTerminalPresent(b, t) ? 1 : 0;
    }
    return size;
  });
}

std::string BaseText(int base, bool twoDigits) {
  std::string text = std::to_string(base);
  if (twoDigits && text.size() < 2) text.insert(text.begin(), '0');
  return text;
}

int BaseFromText(std::string_view text) {
  const UnsignedText read = ReadUnsignedText(text);
  if (!read.isNumber || read.value > static_cast<unsigned>(kMaxBase) || read.value == 0) return 0;
  return static_cast<int>(read.value);
}

}  // namespace tessaro
