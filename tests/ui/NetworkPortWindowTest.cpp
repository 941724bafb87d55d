// The port dialog's network port against a real device server: ser2net on
// 127.0.0.1 with the simulator's pseudo-terminal as its line.  Typed in the
// dialog, refused while it names no port, opened by the window.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "WindowFixture.h"
#include "remote/Ser2net.h"
#include "sim/Simulator.h"
#include "support/EngineTestAccess.h"
#include "ui/dialogs/ComPropertiesDialog.h"

namespace tessaro::testing {
namespace {

TEST_F(WindowFixture, ATypedNetworkPortIsRefusedUntilItNamesOneThenOpensThroughTheServer) {
  if (!Ser2net::Installed()) GTEST_SKIP() << "ser2net is not installed (" << kSer2netPath << ")";
  sim::Simulator network;
  std::string error;
  ASSERT_TRUE(network.Start(&error)) << error;
  char dirName[] = "/tmp/tessaro-netport-XXXXXX";
  ASSERT_NE(mkdtemp(dirName), nullptr);
  Ser2net server;
  ASSERT_TRUE(server.Start(dirName, network.SlavePath(), 115200, &error)) << error;
  const QString url = QString::fromStdString(server.RawUrl());

  // In the dialog: the note follows the text; OK with a text that names no
  // port says how to write one and keeps the dialog open.
  QString notes[3];
  bool stayedOpen = false;
  std::string refusal;
  modals.answer = [&](QWidget* modal) {
    auto* dialog = dynamic_cast<ComPropertiesDialog*>(modal);
    if (dialog == nullptr) return false;
    auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("707"));
    auto* note = dialog->findChild<QLabel*>(QStringLiteral("708"));
    notes[0] = note->text();
    box->setText(QStringLiteral("tcp://127.0.0.1"));
    notes[1] = note->text();
    {
      ModalAnswerer boxes;  // the box comes up inside this answer
      dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
      if (!boxes.seen.empty()) refusal = boxes.seen[0].text;
    }
    stayedOpen = dialog->isVisible() && dialog->focusWidget() == box;
    box->setText(QStringLiteral("  ") + url);  // pasted with a blank before it
    notes[2] = note->text();
    dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
    return true;
  };
  frame->OnCommand(kCmdCommProperties);
  EXPECT_EQ(refusal, "Write a network port as rfc2217://HOST:PORT or tcp://HOST:PORT.");
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(notes[0].contains(QStringLiteral("rfc2217://HOST:PORT"))) << notes[0].toStdString();
  EXPECT_TRUE(notes[1].startsWith(QStringLiteral("Write a network port")))
      << notes[1].toStdString();
  EXPECT_TRUE(notes[2].contains(QStringLiteral("raw TCP"))) << notes[2].toStdString();

  // Open reaches the simulated network through the server; the status bar
  // names the port as typed.
  frame->OnCommand(kCmdOpen);
  ASSERT_TRUE(engine->IsPortOpen());
  EXPECT_TRUE(Pane(2).startsWith(url.left(20))) << Pane(2).toStdString();
  EXPECT_TRUE(WaitFor([&] {
    std::scoped_lock lock(EngineTestAccess::Lock(*engine));
    return EngineTestAccess::Registry(*engine).IsTerminalPresent(1, 1);
  }));
  frame->OnCommand(kCmdClose);
  server.Stop();
  std::filesystem::remove_all(dirName);
}

}  // namespace
}  // namespace tessaro::testing
