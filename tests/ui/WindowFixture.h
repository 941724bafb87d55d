#pragma once

// A whole window over a real engine and the platform's serial port: what the
// program's main() builds, with a clock the tests can move forward.

#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "UiTestSupport.h"
#include "app/Engine.h"
#include "core/Clock.h"
#include "link/NativeSerialPort.h"
#include "resources/RfMenu.h"
#include "support/EngineTestAccess.h"
#include "ui/FrameWindow.h"
#include "ui/QtDisplay.h"
#include "ui/StatusBar.h"
#include "ui/TopologyView.h"

namespace tessaro::testing {

// Steady milliseconds plus an offset the test adds to (time-outs without
// waiting for them).
class SkippableClock final : public Clock {
 public:
  std::uint32_t NowMs() override { return steady_.NowMs() + offset_.load(); }
  void Skip(std::uint32_t ms) { offset_.fetch_add(ms); }

 private:
  SteadyClock steady_;
  std::atomic<std::uint32_t> offset_{0};
};

class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() {
    port = MakeNativeSerialPort();
    engine = std::make_unique<Engine>(display, clock, *port);
    display.AttachEngine(*engine);
    frame = std::make_unique<FrameWindow>(*engine, display);
    frame->resize(1000, 700);
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  }
  ~WindowFixture() override {
    frame.reset();
    engine.reset();
    unsetenv("TESSARO_COM1");
  }

  // COM1 goes to the test's pty (or to `device`); the port dialog counts as
  // confirmed.
  void UsePty(bool confirmed = true, const std::string& device = {}) {
    setenv("TESSARO_COM1", device.empty() ? base.SlavePath().c_str() : device.c_str(), 1);
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    EngineTestAccess::Settings(*engine).settingsConfirmed = confirmed ? 1 : 0;
  }
  void OpenOnPty() {
    UsePty();
    frame->OnCommand(kCmdOpen);
    ASSERT_TRUE(engine->IsPortOpen());
    ASSERT_TRUE(base.WaitHeard("@BS\r@AT\r"));
  }
  // Bases 1 and 5; terminals 2 and 7 under base 1, 3 under base 5.
  void Discover() {
    base.Say("@BS01110511\r");
    base.Say("@TM010207\r@TM0503\r");
    ASSERT_TRUE(WaitFor([&] {
      std::scoped_lock lock(EngineTestAccess::Lock(*engine));
      const StationRegistry& r = EngineTestAccess::Registry(*engine);
      return r.IsTerminalPresent(1, 7) && r.IsTerminalPresent(5, 3);
    }));
    // The view has drawn them: terminal 7 beside 2 in the first row, 3 in the second.
    const QImage terminal =
        QImage(QStringLiteral(":/pictures/terminal.xpm")).convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(WaitFor([&] {
      const QImage canvas = Canvas();
      return canvas.pixel(154 + 84 + 16, 5 + 60) == terminal.pixel(16, 60) &&
             canvas.pixel(154 + 16, 105 + 60) == terminal.pixel(16, 60);
    }));
  }
  QString Pane(int i) const { return frame->Bar()->PaneText(i); }
  QImage Canvas() { return display.Canvas().Snapshot(); }
  TopologyView& View() { return *frame->View(); }

  QtDisplay display;
  SkippableClock clock;
  std::unique_ptr<SerialPort> port;
  std::unique_ptr<Engine> engine;
  std::unique_ptr<FrameWindow> frame;
  PtyBase base;
  ModalAnswerer modals;
};

}  // namespace tessaro::testing
