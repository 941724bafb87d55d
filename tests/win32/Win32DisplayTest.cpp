// The Win32 port of the window kit's display: the reader thread's updates reach
// the window thread as posted messages, never more than one outstanding per
// kind whatever the flood, and the window thread sees the latest value.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "win32/Win32Display.h"

namespace tessaro {
namespace {

class RecordingTarget final : public DisplayTarget {
 public:
  void ShowPaneText(int pane, const char* text) override { panes[pane] = text; }
  void RepaintArea(const RECT& /*area*/) override { ++repaints; }
  void RenderView(bool /*whole*/) override { ++renders; }
  void ApplyButtons(const ButtonState& state) override {
    runText = state.runText;
    ++buttons;
  }
  void RunSupervision(bool on) override { supervising = on; }
  HWND BoxOwner() override { return nullptr; }

  std::string panes[3];
  std::string runText;
  int repaints = 0, renders = 0, buttons = 0;
  bool supervising = false;
};

// A message-only window that hands its messages to the display.
LRESULT CALLBACK RelayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* display = reinterpret_cast<Win32Display*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (display != nullptr && display->HandleMessage(message, wParam, lParam)) return 0;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeRelay(Win32Display& display) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RelayProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TessaroTestRelay";
  RegisterClassA(&wc);
  HWND relay = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
  SetWindowLongPtrA(relay, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&display));
  return relay;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST(Win32Display, AFloodFromTheReaderThreadQueuesOneMessagePerKindAndEndsOnTheLatest) {
  Win32Display display;
  RecordingTarget target;
  HWND relay = MakeRelay(display);
  ASSERT_NE(relay, nullptr);
  display.AttachWindow(relay, &target);
  display.GetCanvas().Resize(400, 300);

  std::thread reader([&display] {
    char text[32];
    for (int i = 0; i < 20000; ++i) {
      wsprintfA(text, "@DT0101%05d", i);
      display.SetPaneText(1, text);
      display.DrawCellAt(186, 20, text + 7, kBlue);
      display.InvalidateTopology();
    }
    ButtonState stop;
    stop.runText = "STOP";
    display.SetButtons(stop);
    display.SetSupervisionTimer(true);
  });
  reader.join();
  // Panes, cells and render: one each; the buttons and the timer: one each.
  EXPECT_LE(display.MostQueuedCalls(), 5);

  Pump();
  EXPECT_EQ(display.QueuedCalls(), 0);
  EXPECT_EQ(target.panes[1], "@DT010119999");
  EXPECT_EQ(target.repaints, 1);
  EXPECT_EQ(target.renders, 1);
  EXPECT_EQ(target.runText, "STOP");  // a copy: the reader's text is gone
  EXPECT_TRUE(target.supervising);

  display.AttachWindow(nullptr, nullptr);
  DestroyWindow(relay);
}

}  // namespace
}  // namespace tessaro
