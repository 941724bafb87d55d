#include "ui/FrameWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QMenuBar>
#include <QMetaObject>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/Engine.h"
#include "app/front/ViewScroll.h"
#include "resources/RfMenu.h"
#include "ui/AboutBox.h"
#include "ui/QtDisplay.h"
#include "ui/StatusBar.h"
#include "ui/TopologyView.h"
#include "ui/dialogs/DialogCommands.h"
#include "ui/download/QtDownloadUi.h"
#include "ui/stats/StatisticsWindow.h"

namespace tessaro {

namespace {

QIcon ProgramIcon() {
  QIcon icon;
  icon.addPixmap(QPixmap(QStringLiteral(":/pictures/rf32.xpm")));
  icon.addPixmap(QPixmap(QStringLiteral(":/pictures/rf16.xpm")));
  return icon;
}

}  // namespace

FrameWindow::FrameWindow(Engine& engine, QtDisplay& display)
    : engine_(engine), display_(display), commands_(engine, display, *this) {
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
  // The view is as large as the window, or as its content where that is
  // larger: then the window scrolls it.
  auto* scroll = new QScrollArea(edge);
  scroll->setObjectName(QStringLiteral("ClientScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setWidgetResizable(true);
  // The steps every window scrolls by; the wheel takes the system's lines.
  scroll->horizontalScrollBar()->setSingleStep(scroll::kLinePixels);
  scroll->verticalScrollBar()->setSingleStep(scroll::kLinePixels);
  view_ = new TopologyView(engine_, display_.Canvas(), scroll);
  scroll->setWidget(view_);
  layout->addWidget(scroll);
  setCentralWidget(edge);

  statusBar_ = new StatusBar(this);
  setStatusBar(statusBar_);
  display_.AttachWindow(this, statusBar_, view_);
  downloadUi_ = std::make_unique<QtDownloadUi>(view_);
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
      action->setEnabled(MenuItemEnabled(entry.id));
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

void FrameWindow::OnCommand(int id) {
  commands_.Execute(id);
}

void FrameWindow::PostCommand(int id) {
  QMetaObject::invokeMethod(
      this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
}

void FrameWindow::RunComPortDialog(ComPortModel& model) {
  RunComPropertiesDlg(model, this);
}

void FrameWindow::RunCriteriaDialog(CriteriaModel& model) {
  RunParameterDlg(model, this);
}

void FrameWindow::RunBaseIdDialog(BaseIdModel& model) {
  RunBaseIdDlg(model, this);
}

void FrameWindow::RunBasePropertiesDialog(BasePropertiesModel& model) {
  RunBasePropertiesDlg(model, this);
}

void FrameWindow::RunAboutBox() {
  AboutBox::Run(this);
}

DownloadUi& FrameWindow::DownloadDialogs() {
  return *downloadUi_;
}

void FrameWindow::CloseFrame() {
  closing_ = true;
  close();
}

void FrameWindow::ShowStatistics() {
  if (statistics_ == nullptr) statistics_ = new StatisticsWindow(engine_, this);
  statistics_->show();
  statistics_->raise();
  statistics_->activateWindow();
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  // Exit has ended the session already; the close box asks first.
  if (closing_ || commands_.RequestClose()) {
    event->accept();
  } else {
    event->ignore();
  }
  closing_ = false;
}

}  // namespace tessaro
