// The dialogs against the simulated network over a real pseudo-terminal:
// what the base received, what the PC learnt from its answers, and the baud
// change with the port closed and opened again at the new rate.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "DialogRig.h"
#include "app/front/MenuCommands.h"
#include "core/NullDisplay.h"
#include "link/NativeSerialPort.h"
#include "resources/RfMenu.h"
#include "sim/Simulator.h"
#include "support/EngineTestAccess.h"
#include "ui/dialogs/BaseIdDialog.h"
#include "ui/dialogs/BasePropertiesDialog.h"
#include "ui/dialogs/DialogCommands.h"

namespace tessaro {
namespace {

using namespace tessaro::testing;
using namespace std::chrono_literals;

// The engine's display for a session with a reader thread: calls may come
// from it, so nothing here is touched without a lock.
class QuietDisplay final : public NullDisplay {
 public:
  void ShowMessage(const char* text, const char* caption, MessageIcon) override {
    std::scoped_lock lock(mutex_);
    messages_ += std::string(caption) + ": " + text + "\n";
  }
  std::string Messages() {
    std::scoped_lock lock(mutex_);
    return messages_;
  }

 private:
  std::mutex mutex_;
  std::string messages_;
};

// Polls `condition` (under the engine lock) while the reader thread works.
template <typename Condition>
bool WaitFor(Engine& engine, Condition condition, std::chrono::milliseconds limit = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    {
      std::scoped_lock lock(EngineTestAccess::Lock(engine));
      if (condition()) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
}

// The speed of the pty as the port's own side sees it; 0 when the slave
// cannot be opened a second time (it is held exclusively).
int SlaveSpeed(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return 0;
  termios t{};
  const bool ok = ::tcgetattr(fd, &t) == 0;
  ::close(fd);
  if (!ok) return 0;
  switch (cfgetospeed(&t)) {
    case B9600:
      return 9600;
    case B115200:
      return 115200;
    case B19200:
      return 19200;
    default:
      return -1;
  }
}

class DialogsOverSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    ::setenv("TESSARO_COM1", sim.SlavePath().c_str(), 1);
    serial = MakeNativeSerialPort();
    engine = std::make_unique<Engine>(display, clock, *serial);
    ASSERT_TRUE(engine->Open()) << display.Messages();
    // Discovery: the base list and every property of each base.
    ASSERT_TRUE(WaitFor(*engine, [&] { return Discovered(); })) << display.Messages();
  }

  void TearDown() override {
    if (engine) engine->Close();
    engine.reset();
    sim.Stop();
    ::unsetenv("TESSARO_COM1");
  }

  bool Discovered() {
    const StationRegistry& r = EngineTestAccess::Registry(*engine);
    for (int b : {1, 2, 5}) {
      if (!r.IsBasePresent(b) || r.properties[b].channel == 0 || r.properties[b].mode == 0) {
        return false;
      }
    }
    return true;
  }

  std::vector<std::string> ReceivedSince(std::size_t from) { return sim.Received(from); }

  sim::Simulator sim;
  QuietDisplay display;
  SteadyClock clock;
  std::unique_ptr<SerialPort> serial;
  std::unique_ptr<Engine> engine;
};

TEST_F(DialogsOverSimulator, BaseIdChangeReachesTheBaseAndTheRegistryFollows) {
  const std::size_t from = sim.ReceivedCount();
  WhenOpen<BaseIdDialog>([](BaseIdDialog& dialog) {
    Control<QComboBox>(dialog, 701)->setCurrentIndex(1);  // "2"
    Control<QLineEdit>(dialog, 601)->setText("7");
    ClickOk(dialog);
  });
  RunBaseIdDlg(*engine, nullptr);
  ASSERT_TRUE(sim.WaitForMessage("@BS", 10s, from));
  const std::vector<std::string> got = ReceivedSince(from);
  ASSERT_GE(got.size(), 2u);
  EXPECT_EQ(got[0], "@ID0207\r");
  EXPECT_EQ(got[1], "@BS\r");
  EXPECT_TRUE(WaitFor(*engine, [&] {
    return EngineTestAccess::Registry(*engine).IsBasePresent(7) &&
           !EngineTestAccess::Registry(*engine).IsBasePresent(2);
  }));
}

TEST_F(DialogsOverSimulator, ChangedPropertiesReachTheBaseWhichReportsThem) {
  const std::size_t from = sim.ReceivedCount();
  WhenOpen<BasePropertiesDialog>([](BasePropertiesDialog& dialog) {
    Control<QComboBox>(dialog, 702)->setCurrentIndex(2);
    Control<QComboBox>(dialog, 704)->setCurrentIndex(1);
    Control<QLineEdit>(dialog, 601)->setText("9");
    ClickOk(dialog);
  });
  EXPECT_FALSE(RunBasePropertiesDlg(*engine, nullptr));
  ASSERT_TRUE(sim.WaitForMessage("@TO", 10s, from));
  EXPECT_EQ(ReceivedSince(from), (std::vector<std::string>{"@CH013\r", "@PW012\r", "@TO0109\r"}));
  EXPECT_TRUE(WaitFor(*engine, [&] {
    const BaseProperties& p = EngineTestAccess::Registry(*engine).properties[1];
    return p.channel == '3' && p.power == '2' && p.timeout == 9 &&
           EngineTestAccess::Criteria(*engine).timeoutSeconds == 9;
  }));
}

TEST_F(DialogsOverSimulator, BaudChangeReopensThePortAtTheNewRate) {
  ASSERT_EQ(sim.LineSpeed(), 115200);
  const std::size_t from = sim.ReceivedCount();
  MessageBoxHand hand(QMessageBox::Ok);
  WhenOpen<BasePropertiesDialog>([](BasePropertiesDialog& dialog) {
    Control<QComboBox>(dialog, 706)->setCurrentIndex(4);  // 9600
    ClickOk(dialog);
  });
  // The menu command: dialog, "@SP", close, pause, and Open posted.
  DialogShell shell;
  MenuCommands commands(*engine, display, shell);
  const auto closing = std::chrono::steady_clock::now();
  commands.Execute(kCmdBaseProperties);
  const auto paused = std::chrono::steady_clock::now();
  EXPECT_EQ(hand.answered, 1);
  ASSERT_TRUE(sim.WaitForMessage("@SP", 10s, from));
  EXPECT_EQ(ReceivedSince(from), (std::vector<std::string>{"@SP9600\r"}));
  EXPECT_EQ(EngineTestAccess::Settings(*engine).baudIndex, 4);
  EXPECT_EQ(shell.posted, std::vector<int>{kCmdOpen});
  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_TRUE(sim.WaitUntil([&] { return !sim.LineHeld(); }, 10s));
  const std::size_t afterClose = sim.ReceivedCount();
  const std::uint64_t garbledBefore = sim.Stats().garbledBytes;
  ASSERT_TRUE(engine->Open()) << display.Messages();
  const auto pauseMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(paused - closing).count();
  std::printf("close + pause before the reopen: %lld ms\n", static_cast<long long>(pauseMs));
  EXPECT_GE(pauseMs, kReopenPauseMs);  // a lower bound: the pause is never cut short

  EXPECT_EQ(sim.LineSpeed(), 9600);
  EXPECT_EQ(sim.BaseSpeed(), 9600);
  const int slave = SlaveSpeed(sim.SlavePath());
  std::printf("line speed read back: master %d, slave %d (0: slave held exclusively)\n",
              sim.LineSpeed(), slave);
  if (slave != 0) {
    EXPECT_EQ(slave, 9600);
  }
  // Discovery runs again at the new rate: the registry was reset by Close
  // and is filled again from the base's answers.
  EXPECT_TRUE(WaitFor(*engine, [&] { return Discovered(); })) << display.Messages();
  const std::vector<std::string> again = ReceivedSince(afterClose);
  ASSERT_GE(again.size(), 2u);
  EXPECT_EQ(again[0], "@BS\r");
  EXPECT_EQ(again[1], "@AT\r");
  EXPECT_EQ(sim.Stats().garbledBytes, garbledBefore);
}

}  // namespace
}  // namespace tessaro
