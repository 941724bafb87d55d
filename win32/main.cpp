// The operator's window on Win32: start-up and the message loop.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/NativeSerialPort.h"
#include "win32/Demo.h"
#include "win32/Dialogs.h"
#include "win32/FrameWindow.h"
#include "win32/MessageBoxes.h"
#include "win32/Options.h"
#include "win32/Win32Display.h"

namespace {

// A window program has no console of its own: its texts go to the console it
// was started from, if any.
void UseParentConsole() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

}  // namespace

int main(int argc, char** argv) {
  UseParentConsole();
  const tessaro::Win32Options options = tessaro::ParseWin32Options(argc, argv);
  if (options.help) {
    std::fputs(tessaro::Win32Usage(), stdout);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "tessaro: %s\n\n%s", options.error.c_str(), tessaro::Win32Usage());
    return 2;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  tessaro::Win32Display display;
  tessaro::SteadyClock clock;
  const std::unique_ptr<tessaro::SerialPort> port = tessaro::MakeNativeSerialPort();
  tessaro::Engine engine(display, clock, *port);
  display.AttachEngine(engine);
  if (options.portRow >= 0) engine.SelectPort(options.portRow);

  tessaro::FrameWindow frame(engine, display);
  if (!frame.Create(SW_SHOWNORMAL)) {
    std::fprintf(stderr, "tessaro: cannot create the window (error %lu)\n", GetLastError());
    return 1;
  }

  std::unique_ptr<tessaro::Demo> demo;
  if (!options.demoDir.empty()) {
    tessaro::LogBoxes(true);
    demo = std::make_unique<tessaro::Demo>(frame, engine, options);
    demo->Start();
  } else if (options.showAbout) {
    tessaro::RunAboutDlg(frame.Hwnd());
  }

  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
