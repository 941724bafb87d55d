#include "ui/dialogs/ReopenSequence.h"

#include <chrono>
#include <thread>

#include "app/Engine.h"

namespace tessaro {

void CloseAndPauseForReopen(Engine& engine) {
  engine.Close();
  // Sleeps to a deadline: an early wake-up sleeps the rest, nothing spins.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kReopenPauseMs);
  while (std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_until(deadline);
}

bool ReopenAfterBaudChange(Engine& engine) {
  CloseAndPauseForReopen(engine);
  return engine.Open();
}

}  // namespace tessaro
