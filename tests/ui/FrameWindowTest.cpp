#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include "WindowFixture.h"
#include "app/ViewNotices.h"
#include "support/EngineTestAccess.h"
#include "ui/AboutBox.h"

namespace tessaro::testing {
namespace {

using FrameWindowTest = WindowFixture;

struct Item {
  std::string text;  // "-" for a separator
  int id;
};

TEST_F(FrameWindowTest, MenuRfHasEveryPopupItemAndId) {
  const std::vector<std::pair<std::string, std::vector<Item>>> expected = {
      {"&RF Link",
       {{"&Open", 1000},
        {"&Close", 1010},
        {"-", 0},
        {"Comm &Properties ...", 1020},
        {"-", 0},
        {"&Exit", 1999}}},
      {"&Configure",
       {{"Base's &ID ...", 1100},
        {"Base's &Properties ...", 1110},
        {"-", 0},
        {"Testing &Criteria ...", 1200},
        {"Testing &Statistics ...", 1210}}},
      {"&Update", {{"&Download Base's Program", 1300}}},
      {"&Help", {{"&About ...", 1900}}},
  };
  const QList<QAction*> popups = frame->menuBar()->actions();
  ASSERT_EQ(popups.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t p = 0; p < expected.size(); ++p) {
    EXPECT_EQ(popups[static_cast<qsizetype>(p)]->text().toStdString(), expected[p].first);
    const QList<QAction*> items = popups[static_cast<qsizetype>(p)]->menu()->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[p].second.size()));
    for (std::size_t i = 0; i < expected[p].second.size(); ++i) {
      const Item& want = expected[p].second[i];
      QAction* got = items[static_cast<qsizetype>(i)];
      if (want.text == "-") {
        EXPECT_TRUE(got->isSeparator());
        continue;
      }
      EXPECT_EQ(got->text().toStdString(), want.text);
      EXPECT_EQ(got->data().toInt(), want.id);
      EXPECT_TRUE(got->isEnabled()) << want.text;
      EXPECT_FALSE(got->isCheckable()) << want.text;
    }
  }
}

TEST_F(FrameWindowTest, FrameTakesTheScreenLessThirtyPixels) {
  EXPECT_EQ(frame->windowTitle().toStdString(), "  Tessaro ");
  EXPECT_FALSE(frame->windowIcon().isNull());
  frame->PlaceOnScreen();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  ASSERT_TRUE(WaitFor(
      [&] { return frame->pos() == screen.topLeft() && frame->height() == screen.height() - 30; }));
  EXPECT_EQ(frame->pos(), screen.topLeft());
  EXPECT_EQ(frame->width(), screen.width());
  EXPECT_EQ(frame->height(), screen.height() - 30);
}

// Below 500 pixels the first pane gives way and the right panes stay whole.
TEST_F(FrameWindowTest, PaneEdgesFollowEveryResize) {
  struct Case {
    int width, edge0, edge1;
  };
  for (const Case c :
       {Case{1000, 500, 820}, Case{1280, 780, 1100}, Case{640, 140, 460}, Case{400, 0, 220}}) {
    frame->resize(c.width, 600);
    ASSERT_TRUE(WaitFor([&] {
      const StatusBar& bar = *frame->Bar();
      return bar.width() == c.width && bar.PaneRect(2).left() + bar.PaneRect(2).width() == c.width;
    }));
    const StatusBar& bar = *frame->Bar();
    const int spans[3][2] = {{0, c.edge0}, {c.edge0, c.edge1}, {c.edge1, c.width}};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(bar.PaneRect(i).left(), spans[i][0]) << c.width << " pane " << i;
      EXPECT_EQ(bar.PaneRect(i).left() + bar.PaneRect(i).width(), spans[i][1])
          << c.width << " pane " << i;
    }
  }
}

TEST_F(FrameWindowTest, CommandsThatNeedABaseRefuseWithoutAPort) {
  for (int id : {kCmdBaseId, kCmdBaseProperties, kCmdDownload}) {
    modals.seen.clear();
    frame->OnCommand(id);
    ASSERT_EQ(modals.seen.size(), 1u) << id;
    EXPECT_EQ(modals.seen[0].text, "Base is not connected !");
    EXPECT_EQ(modals.seen[0].title, "RF link");
    EXPECT_EQ(modals.seen[0].icon, QMessageBox::Warning);
  }
  EXPECT_FALSE(engine->IsPortOpen());
}

TEST_F(FrameWindowTest, IdsOutsideTheMenuAreIgnored) {
  for (int id : {0, 999, 1001, 1400, 2000}) frame->OnCommand(id);
  Settle();
  EXPECT_TRUE(modals.seen.empty());
  EXPECT_TRUE(frame->isVisible());
}

TEST_F(FrameWindowTest, AboutBoxClosesOnlyOnOkOrEnter) {
  std::vector<std::string> steps;
  modals.answer = [&](QWidget* w) {
    auto* box = dynamic_cast<AboutBox*>(w);
    if (box == nullptr) return false;
    QTest::keyClick(box, Qt::Key_Escape);
    steps.push_back(box->isVisible() ? "esc:open" : "esc:closed");
    box->close();
    steps.push_back(box->isVisible() ? "close:open" : "close:closed");
    QTest::keyClick(box, Qt::Key_Return);
    steps.push_back(box->isVisible() ? "enter:open" : "enter:closed");
    return true;
  };
  frame->OnCommand(kCmdAbout);
  EXPECT_EQ(steps, (std::vector<std::string>{"esc:open", "close:open", "enter:closed"}));
  ASSERT_EQ(modals.seen.size(), 1u);
  EXPECT_EQ(modals.seen[0].title, "Tessaro");

  // And the OK button.
  modals.answer = [&](QWidget* w) {
    auto* ok = w->findChild<QPushButton*>(QStringLiteral("button1"));
    if (ok == nullptr) return false;
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(ok->geometry(), QRect(148, 68, 88, 28));
    ok->click();
    return true;
  };
  frame->OnCommand(kCmdAbout);
  EXPECT_EQ(modals.seen.size(), 2u);
}

TEST_F(FrameWindowTest, DialogsAndMessageBoxesAreCentredOnTheScreen) {
  const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
  std::vector<std::string> offCentre;
  modals.answer = [&](QWidget* w) {
    const QPoint shown = w->frameGeometry().center();
    if ((shown - centre).manhattanLength() > 2) offCentre.push_back(w->windowTitle().toStdString());
    return false;
  };
  // The port's settings, the criteria, the About box, and a message box
  // (no base connected).
  for (int id : {kCmdCommProperties, kCmdTestingCriteria, kCmdAbout, kCmdBaseId}) {
    if (id == kCmdAbout) {
      modals.answer = [&, answer = modals.answer](QWidget* w) {
        answer(w);
        auto* ok = w->findChild<QPushButton*>(QStringLiteral("button1"));
        if (ok != nullptr) ok->click();
        return ok != nullptr;
      };
    }
    frame->OnCommand(id);
  }
  EXPECT_EQ(modals.seen.size(), 4u);
  EXPECT_TRUE(offCentre.empty()) << offCentre.front();
}

TEST_F(FrameWindowTest, OpenShowsThePortPollsAndEnablesTheButtons) {
  OpenOnPty();
  EXPECT_EQ(Pane(2).toStdString(), "COM1: 115200 bps, None");
  EXPECT_EQ(base.Heard(), "@BS\r@AT\r");
  EXPECT_TRUE(View().ModeButton()->isEnabled());
  EXPECT_TRUE(View().RunButton()->isEnabled());
  EXPECT_EQ(View().ModeButton()->text(), QStringLiteral("ACTIVE"));
  EXPECT_EQ(View().RunButton()->text(), QStringLiteral("START"));
  EXPECT_TRUE(modals.seen.empty());

  // The traffic shows in panes 0 (all but "@DT") and 1 ("@DT").
  base.Say("@BS0111\r");
  ASSERT_TRUE(WaitFor([&] { return Pane(0) == QStringLiteral("@BS0111\r"); }));
  base.Say("@DT010512345\r");
  ASSERT_TRUE(WaitFor([&] { return Pane(1) == QStringLiteral("@DT010512345\r"); }));
  EXPECT_EQ(Pane(0), QStringLiteral("@BS0111\r"));
}

// The adapter pulled mid-test: pane 0 and the view say so, the test stops
// (timer and buttons), and Close still closes.
TEST_F(FrameWindowTest, AHangUpMidTestStopsItAndSaysSo) {
  OpenOnPty();
  Discover();
  View().RunButton()->click();
  ASSERT_TRUE(View().SupervisionTimerActive());
  base.HangUp();
  ASSERT_TRUE(WaitFor([&] { return Pane(0) == QString::fromLatin1(kLinkLostText); }));
  ASSERT_TRUE(WaitFor([&] { return !View().SupervisionTimerActive(); }));
  EXPECT_FALSE(View().RunButton()->isEnabled());
  EXPECT_FALSE(View().ModeButton()->isEnabled());
  EXPECT_STREQ(engine->Snapshot().notice, kLinkLostMark);
  frame->OnCommand(kCmdClose);
  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_TRUE(modals.seen.empty());
}

TEST_F(FrameWindowTest, OpenWhileOpenDoesNothing) {
  OpenOnPty();
  frame->OnCommand(kCmdOpen);
  Settle(300);
  EXPECT_EQ(base.Heard(), "@BS\r@AT\r");
  EXPECT_TRUE(modals.seen.empty());
}

TEST_F(FrameWindowTest, OpenWithUnconfirmedSettingsStillOpensAfterTheDialog) {
  UsePty(false);
  frame->OnCommand(kCmdOpen);  // a port dialog, if one comes, is cancelled
  EXPECT_TRUE(engine->IsPortOpen());
  EXPECT_TRUE(base.WaitHeard("@BS\r@AT\r"));
}

TEST_F(FrameWindowTest, FailedOpenLeavesTheButtonsDisabled) {
  setenv("TESSARO_COM1", "/nonexistent/tessaro-port", 1);
  {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    EngineTestAccess::Settings(*engine).settingsConfirmed = 1;
  }
  frame->OnCommand(kCmdOpen);
  EXPECT_FALSE(engine->IsPortOpen());
  ASSERT_EQ(modals.seen.size(), 1u);
  EXPECT_EQ(modals.seen[0].text, "Can't open the COM port!");
  EXPECT_EQ(modals.seen[0].title, "Error");
  EXPECT_EQ(modals.seen[0].details.rfind("Device: /nonexistent/tessaro-port\n"
                                         "Reason: No such file or directory\n",
                                         0),
            0u)
      << modals.seen[0].details;
  EXPECT_FALSE(View().ModeButton()->isEnabled());
  EXPECT_FALSE(View().RunButton()->isEnabled());
}

TEST_F(FrameWindowTest, CloseBlanksThePanesAndClearsTheView) {
  OpenOnPty();
  Discover();
  EXPECT_NE(Canvas().pixel(84 + 20, 20 + 40), qRgb(255, 255, 255));
  frame->OnCommand(kCmdClose);
  EXPECT_FALSE(engine->IsPortOpen());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Pane(i), QStringLiteral("  ")) << i;
  EXPECT_FALSE(View().ModeButton()->isEnabled());
  EXPECT_FALSE(View().RunButton()->isEnabled());
  {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    EXPECT_FALSE(EngineTestAccess::Registry(*engine).IsTerminalPresent(1, 2));
  }
  // Only the host picture is left.
  ASSERT_TRUE(WaitFor([&] { return Canvas().pixel(84 + 20, 20 + 40) == qRgb(255, 255, 255); }));
  EXPECT_NE(Canvas().pixel(3 + 36, 10 + 20), qRgb(255, 255, 255));
}

TEST_F(FrameWindowTest, CloseWithoutAPortStillBlanksPanes) {
  frame->Bar()->SetPaneText(0, QStringLiteral("old"));
  frame->OnCommand(kCmdClose);
  EXPECT_EQ(Pane(0), QStringLiteral("  "));
  EXPECT_TRUE(modals.seen.empty());
}

TEST_F(FrameWindowTest, CloseDuringARunningTestStopsIt) {
  OpenOnPty();
  Discover();
  View().RunButton()->click();
  EXPECT_EQ(View().RunButton()->text(), QStringLiteral("STOP"));
  EXPECT_FALSE(View().ModeButton()->isEnabled());
  EXPECT_TRUE(View().SupervisionTimerActive());
  ASSERT_TRUE(base.WaitHeard("@DT020001"));

  frame->OnCommand(kCmdClose);
  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_FALSE(View().SupervisionTimerActive());
  EXPECT_EQ(View().RunButton()->text(), QStringLiteral("START"));
  EXPECT_FALSE(View().RunButton()->isEnabled());
  EXPECT_FALSE(View().ModeButton()->isEnabled());
  std::scoped_lock lock(EngineTestAccess::Lock(*engine));
  EXPECT_EQ(EngineTestAccess::Test(*engine).testRun, TestRun::Stopped);
}

TEST_F(FrameWindowTest, DownloadSendsUpdateToTheFirstBaseAndClosesTheSession) {
  OpenOnPty();
  base.Say("@BS03110711\r");
  ASSERT_TRUE(WaitFor([&] {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    return EngineTestAccess::Registry(*engine).IsBasePresent(7);
  }));
  frame->OnCommand(kCmdDownload);  // the download's first dialog is cancelled
  EXPECT_TRUE(base.WaitHeard("@UP03\r"));
  ASSERT_TRUE(WaitFor([&] { return !engine->IsPortOpen(); }));
  Settle(200);
  EXPECT_FALSE(engine->IsPortOpen());  // not opened again
  EXPECT_FALSE(modals.seen.empty());
}

TEST_F(FrameWindowTest, AcceptedBaudChangeReopensThePortAtTheNewRate) {
  OpenOnPty();
  base.Say("@BS0111\r");
  ASSERT_TRUE(WaitFor([&] { return engine->ConnectedBase() == 1; }));
  modals.answer = [&](QWidget* w) {
    auto* baud = w->findChild<QComboBox*>(QStringLiteral("706"));
    auto* ok = w->findChild<QPushButton*>(QStringLiteral("1"));
    auto* id = w->findChild<QComboBox*>(QStringLiteral("701"));
    if (baud == nullptr || ok == nullptr || id == nullptr) return false;
    // The dialog loads the base's values when its first control takes the
    // focus; choose only after that.  Clicked from the queue: the question
    // that follows runs its own loop, where this watcher must answer it.
    auto* choose = new QTimer(w);
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(choose, &QTimer::timeout, w, [=] {
      if (!id->hasFocus() && waited->elapsed() < 3000) return;
      choose->stop();
      delete waited;
      baud->setCurrentIndex(4);  // 9600
      ok->click();
    });
    choose->start(10);
    return true;
  };
  frame->OnCommand(kCmdBaseProperties);
  std::string boxes;
  for (const auto& seen : modals.seen) boxes += seen.title + ": " + seen.text + "; ";
  // Closed at once, opened again from the queue after the pause.
  EXPECT_FALSE(engine->IsPortOpen()) << boxes;
  EXPECT_TRUE(base.Heard().find("@SP9600") != std::string::npos);
  ASSERT_TRUE(WaitFor([&] { return engine->IsPortOpen(); }));
  EXPECT_EQ(Pane(2).toStdString(), "COM1: 9600 bps, None");
  EXPECT_TRUE(WaitFor([&] {
    const std::string& heard = base.Heard();
    return heard.find("@BS\r@AT\r") != heard.rfind("@BS\r@AT\r");
  }));
}

TEST_F(FrameWindowTest, CloseBoxEndsTheSessionFirst) {
  OpenOnPty();
  frame->close();
  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_FALSE(frame->isVisible());
}

TEST_F(FrameWindowTest, CloseBoxDuringADownloadSaysWhyAndKeepsTheWindow) {
  OpenOnPty();
  base.Say("@BS0111\r");
  ASSERT_TRUE(WaitFor([&] { return engine->ConnectedBase() == 1; }));
  bool chooserSeen = false;
  modals.answer = [&](QWidget* w) {
    if (chooserSeen || qobject_cast<QFileDialog*>(w) == nullptr) return false;
    chooserSeen = true;
    // The close box, pressed while the file chooser is up; from the queue,
    // so that the watcher answers the box the close brings.
    QTimer::singleShot(0, frame.get(), [&, w] {
      frame->close();
      EXPECT_TRUE(frame->isVisible());
      qobject_cast<QDialog*>(w)->reject();
    });
    return true;
  };
  frame->OnCommand(kCmdDownload);
  ASSERT_TRUE(chooserSeen);
  ASSERT_EQ(modals.seen.size(), 2u);
  EXPECT_EQ(modals.seen[1].text, kDownloadRunningText);
  EXPECT_EQ(modals.seen[1].icon, QMessageBox::Warning);
  EXPECT_TRUE(frame->isVisible());
}

TEST_F(FrameWindowTest, ExitClosesTheSessionAndTheFrame) {
  OpenOnPty();
  frame->OnCommand(kCmdExit);
  EXPECT_FALSE(engine->IsPortOpen());
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(Pane(2), QStringLiteral("  "));
}

// A stray Space on a focused button switches the mode and clears the
// counters: the focus the open gives the mode button must show.
TEST_F(FrameWindowTest, ModeButtonShowsTheFocusItGetsOnOpen) {
  frame->activateWindow();
  ASSERT_TRUE(WaitFor([&] { return frame->isActiveWindow(); }));
  OpenOnPty();
  QPushButton* mode = View().ModeButton();
  ASSERT_TRUE(WaitFor([&] { return mode->hasFocus(); }));
  const QImage focused = mode->grab().toImage();
  View().RunButton()->setFocus();
  ASSERT_FALSE(mode->hasFocus());
  EXPECT_FALSE(focused == mode->grab().toImage()) << "the focus does not show";
}

TEST_F(FrameWindowTest, ModeButtonTogglesAndSwitchesTheRunButton) {
  OpenOnPty();
  View().ModeButton()->click();
  EXPECT_EQ(View().ModeButton()->text(), QStringLiteral("PASSIVE"));
  EXPECT_FALSE(View().RunButton()->isEnabled());
  View().ModeButton()->click();
  EXPECT_EQ(View().ModeButton()->text(), QStringLiteral("ACTIVE"));
  EXPECT_TRUE(View().RunButton()->isEnabled());
}

}  // namespace
}  // namespace tessaro::testing
