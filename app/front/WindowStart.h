#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/Engine.h"
#include "app/front/WindowOptions.h"
#include "core/Clock.h"
#include "link/PortStack.h"

namespace tessaro {

// Where the window's start-up texts go: standard output (`isError` false) or
// standard error, or a box where a toolkit has no console.
using StartText = std::function<void(bool isError, const std::string& text)>;

// What the command line is answered with before any window exists: the help
// or the version (status 0), a refused option with the usage (status 2), a
// port or trace that cannot be made (status 2).  Returns that status, or -1
// when the window is to start, with `port` made.
int AnswerBeforeWindow(const WindowOptions& options, std::string_view usageNote, PortStack& port,
                       int argc, char** argv, const StartText& say);

// What every window runs on: its toolkit's display, the clock and the engine
// on the port the command line made, the display attached and the port row
// the command line chose selected.  Made on the window thread, once the
// toolkit is up.
template <typename WindowDisplayT>
struct WindowCore {
  WindowCore(PortStack& port, const WindowOptions& options) : engine(display, clock, port.Port()) {
    display.AttachEngine(engine);
    if (options.portRow >= 0) engine.SelectPort(options.portRow);
  }

  WindowDisplayT display;
  SteadyClock clock;
  Engine engine;
};

}  // namespace tessaro
