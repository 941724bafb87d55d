#include "ui/FrameWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QMenuBar>
#include <QMetaObject>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <chrono>
#include <mutex>
#include <thread>

#include "app/Engine.h"
#include "resources/RfMenu.h"
#include "ui/AboutBox.h"
#include "ui/QtDisplay.h"
#include "ui/StatusBar.h"
#include "ui/TopologyView.h"
#include "ui/dialogs/DialogCommands.h"

namespace tessaro {

namespace {

QIcon ProgramIcon() {
  QIcon icon;
  icon.addPixmap(QPixmap(QStringLiteral(":/pictures/rf32.xpm")));
  icon.addPixmap(QPixmap(QStringLiteral(":/pictures/rf16.xpm")));
  return icon;
}

}  // namespace

FrameWindow::FrameWindow(Engine& engine, QtDisplay& display) : engine_(engine), display_(display) {
  setObjectName(QStringLiteral("RF"));
  setWindowTitle(QString::fromLatin1(kTitle));
  setWindowIcon(ProgramIcon());
  BuildMenu();

  // The view sits in a sunken edge, as a client-edge child window does.
  auto* edge = new QFrame(this);
  edge->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  edge->setLineWidth(2);
  auto* layout = new QVBoxLayout(edge);
  layout->setContentsMargins(2, 2, 2, 2);
  view_ = new TopologyView(engine_, display_.Canvas(), edge);
  layout->addWidget(view_);
  setCentralWidget(edge);

  statusBar_ = new StatusBar(this);
  setStatusBar(statusBar_);
  display_.AttachWindow(this, statusBar_, view_);

  {
    std::scoped_lock lock(engine_.Lock());
    engine_.Registry().Reset();
  }
  download_ = MakeDownloadCommand(engine_, view_);
}

FrameWindow::~FrameWindow() {
  // The reader thread draws into the view: it ends before the view goes.
  engine_.ShutDown();
  display_.AttachWindow(nullptr, nullptr, nullptr);
}

void FrameWindow::PlaceOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  move(area.topLeft());
  resize(area.width(), area.height() - 30);
}

void FrameWindow::BuildMenu() {
  for (const MenuPopup& popup : kRfMenu) {
    QMenu* menu = menuBar()->addMenu(QString::fromLatin1(popup.text));
    for (int i = 0; i < popup.count; ++i) {
      const MenuEntry& entry = popup.entries[i];
      if (entry.id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromLatin1(entry.text));
      action->setData(entry.id);
      const int id = entry.id;
      connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
  }
}

QAction* FrameWindow::ActionOf(int id) const {
  for (QAction* popup : menuBar()->actions()) {
    if (popup->menu() == nullptr) continue;
    for (QAction* action : popup->menu()->actions()) {
      if (!action->isSeparator() && action->data().toInt() == id) return action;
    }
  }
  return nullptr;
}

void FrameWindow::PostCommand(int id) {
  QMetaObject::invokeMethod(
      this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
}

void FrameWindow::OnCommand(int id) {
  switch (id) {
    case kCmdOpen:
      Open();
      break;
    case kCmdClose:
      engine_.Close();
      break;
    case kCmdCommProperties:
      RunComPropertiesDlg(engine_, this);
      break;
    case kCmdBaseId:
      if (RequireBase() != 0) RunBaseIdDlg(engine_, this);
      break;
    case kCmdBaseProperties:
      BaseProperties();
      break;
    case kCmdTestingCriteria:
      RunParameterDlg(engine_, this);
      break;
    case kCmdDownload:
      Download();
      break;
    case kCmdAbout:
      AboutBox::Run(this);
      break;
    case kCmdExit:
      engine_.ShutDown();
      close();
      break;
    default:
      break;
  }
}

int FrameWindow::RequireBase() {
  const int base = engine_.ConnectedBase();
  if (base == 0) display_.ShowMessage("Base is not connected !", "RF link", MessageIcon::Warning);
  return base;
}

void FrameWindow::Open() {
  if (engine_.IsPortOpen()) return;
  bool confirmed = false;
  {
    std::scoped_lock lock(engine_.Lock());
    confirmed = engine_.Settings().settingsConfirmed != 0;
  }
  // After Cancel the port opens with the settings as they stand.
  if (!confirmed) RunComPropertiesDlg(engine_, this);
  engine_.Open();
}

void FrameWindow::BaseProperties() {
  if (RequireBase() == 0) return;
  if (!RunBasePropertiesDlg(engine_, this)) return;
  // The base switches its line to the new rate: close at once, give it the
  // pause with the window thread held, then open again from the queue.
  OnCommand(kCmdClose);
  std::this_thread::sleep_for(std::chrono::milliseconds(kReopenPauseMs));
  PostCommand(kCmdOpen);
}

void FrameWindow::Download() {
  const int base = RequireBase();
  if (base == 0) return;
  engine_.SendUpdateRequest(base);
  // The queued Close runs inside the download's file dialog, so the session
  // has let the port go before the download opens it.
  PostCommand(kCmdClose);
  if (download_->Run() == 1) PostCommand(kCmdOpen);
}

void FrameWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  const int w = width();
  statusBar_->SetParts({w - kPane0FromRight, w - kPane1FromRight, -1});
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  // A reader thread must not outlive the window it draws into.
  engine_.ShutDown();
  event->accept();
}

}  // namespace tessaro
