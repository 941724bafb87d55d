#include "app/front/ViewTiming.h"

#include "app/Engine.h"

namespace tessaro::view {

void ButtonPressed(Engine& engine, int id) {
  if (id == kModeButtonId) engine.ToggleLinkMode();
  if (id == kRunButtonId) engine.ToggleTestRun();
}

void TimerFired(Engine& engine, Timer timer) {
  if (timer == Timer::kSupervision) {
    engine.SuperviseTick();
  } else {
    engine.ReconnectTick();
  }
}

}  // namespace tessaro::view
