#pragma once

namespace tessaro {

class Engine;

// The topology view's controls and clocks, the same in every toolkit.
namespace view {

// The mode button (ACTIVE/PASSIVE) and the run button (START/STOP).
inline constexpr int kModeButtonId = 401;
inline constexpr int kRunButtonId = 402;

// The link test's supervision runs this often while the engine asks for it.
inline constexpr int kSupervisionMs = 500;
// A lost device is tried again this often when the operator asked for it.
inline constexpr int kReconnectMs = 1000;
// Screen updates are merged to at most one per frame of this length, so a
// flood of cell redraws cannot turn into thousands of paints a second.
inline constexpr int kFrameMs = 16;
// Counters keep changing all over the view during a test: every other frame
// is smooth to the eye.
inline constexpr int kCellMs = 2 * kFrameMs;
// The panes show the latest message: ten times a second is as fast as it can
// be read, and a status bar relayout per frame costs the window.
inline constexpr int kPaneMs = 100;
// The statistics window reads the engine again this often while it is shown.
inline constexpr int kStatisticsMs = 1000;

// The view's timers; each toolkit runs them and reports them back here.
enum class Timer { kSupervision, kReconnect };

inline constexpr int PeriodMs(Timer timer) {
  return timer == Timer::kSupervision ? kSupervisionMs : kReconnectMs;
}

// What a press of button `id` or a round of `timer` does.
void ButtonPressed(Engine& engine, int id);
void TimerFired(Engine& engine, Timer timer);

}  // namespace view
}  // namespace tessaro
