// The operator's window on Win32: start-up and the message loop.

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/Engine.h"
#include "app/front/WindowOptions.h"
#include "app/front/WindowStart.h"
#include "link/PortStack.h"
#include "win32/Demo.h"
#include "win32/Dialogs.h"
#include "win32/FrameWindow.h"
#include "win32/MessageBoxes.h"
#include "win32/StatisticsWindow.h"
#include "win32/Win32Display.h"

namespace {

// A window program has no console of its own: its texts go to the console it
// was started from.  false when there is none.
bool UseParentConsole() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
  return true;
}

// `text` on the console the program was started from, else in a box.
void Say(std::FILE* stream, const std::string& text, bool console, UINT icon) {
  if (console) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
  } else {
    MessageBoxA(nullptr, text.c_str(), "tessaro", MB_OK | icon);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool console = UseParentConsole();
  const tessaro::WindowOptions options = tessaro::ParseWindowOptions(argc, argv);
  tessaro::PortStack port;
  const int answered = tessaro::AnswerBeforeWindow(
      options, {}, port, argc, argv, [console](bool isError, const std::string& text) {
        Say(isError ? stderr : stdout, text, console,
            isError ? MB_ICONWARNING : MB_ICONINFORMATION);
      });
  if (answered >= 0) return answered;

  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  tessaro::WindowCore<tessaro::Win32Display> core(port, options);
  tessaro::Engine& engine = core.engine;
  tessaro::FrameWindow frame(engine, core.display);
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
    // Tab and the arrow keys move between the statistics window's controls.
    const tessaro::StatisticsWindow* statistics = frame.Statistics();
    if (statistics != nullptr && statistics->Hwnd() != nullptr &&
        IsDialogMessageA(statistics->Hwnd(), &msg)) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
