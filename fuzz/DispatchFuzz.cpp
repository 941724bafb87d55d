// Inbound bytes through the frame assembler, the dispatcher and the link
// test's accounting, in every link-test state.  The first byte picks the
// state and how the rest is cut into reads; the port records nothing.

#include <cstddef>
#include <cstdint>

#include "app/Engine.h"
#include "core/NullDisplay.h"
#include "link/NullSerialPort.h"

namespace {

class NullWriter final : public tessaro::PortWriter {
 public:
  void Write(const char* bytes, std::size_t count) override {
    // Touch every byte so an out-of-bounds command shows up under ASan.
    for (std::size_t i = 0; i < count; ++i) sum_ += static_cast<unsigned char>(bytes[i]);
  }
  unsigned sum_ = 0;
};

class StepClock final : public tessaro::Clock {
 public:
  std::uint32_t NowMs() override { return now_ += 37; }
  std::uint32_t now_ = 0xFFFFF000u;  // wraps past 2^32 during a run
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  tessaro::NullDisplay display;
  NullWriter writer;
  tessaro::NullSerialPort port;
  StepClock clock;
  tessaro::Engine engine(display, clock, port, &writer);
  const std::uint8_t control = data[0];
  engine.PresetLinkTest((control & 1) ? tessaro::LinkMode::Passive : tessaro::LinkMode::Active,
                        (control & 2) ? tessaro::TestRun::Running : tessaro::TestRun::Stopped);
  tessaro::TestCriteria criteria;
  criteria.dataLength = (control & 4) ? 300 : 15;
  criteria.timeoutSeconds = (control & 8) ? 0 : 2;
  engine.SetCriteria(criteria);
  const std::size_t chunk = 1 + (control >> 4) * 7;
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  std::size_t left = size - 1;
  while (left > 0) {
    const std::size_t n = left < chunk ? left : chunk;
    engine.Feed(bytes, n);
    bytes += n;
    left -= n;
    if (control & 2) engine.SuperviseTick();
  }
  return 0;
}
