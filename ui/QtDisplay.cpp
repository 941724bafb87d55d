#include "ui/QtDisplay.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <cstring>

#include "app/Engine.h"
#include "ui/StatusBar.h"
#include "ui/TopologyView.h"
#include "ui/dialogs/DialogControls.h"

namespace tessaro {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Question:
      return QMessageBox::Question;
    default:
      return QMessageBox::Warning;
  }
}

}  // namespace

QtDisplay::QtDisplay() = default;

QtDisplay::~QtDisplay() = default;

void QtDisplay::AttachEngine(Engine& engine) {
  engine.PlaceCellsFor(this);
}

void QtDisplay::AttachWindow(QWidget* owner, StatusBar* statusBar, TopologyView* view) {
  owner_ = owner;
  statusBar_ = statusBar;
  view_ = view;
}

bool QtDisplay::OnWindowThread() const {
  return QThread::currentThread() == relay_.thread();
}

template <typename F>
void QtDisplay::Post(F&& call) {
  queue_.Posted();
  QMetaObject::invokeMethod(
      &relay_,
      [this, call = std::forward<F>(call)]() mutable {
        queue_.Ran();
        call();
      },
      Qt::QueuedConnection);
}

void QtDisplay::SetPaneText(int pane, const char* text) {
  if (!panes_.Store(pane, text)) return;
  if (OnWindowThread()) {
    ShowPanes();
  } else {
    WakeTick();
  }
}

bool QtDisplay::ShowPanes() {
  char texts[PaneTexts::kPanes][PaneTexts::kSize];
  bool dirty[PaneTexts::kPanes];
  if (!panes_.Take(texts, dirty)) return false;
  if (statusBar_ == nullptr) return true;
  for (int i = 0; i < PaneTexts::kPanes; ++i) {
    if (dirty[i]) statusBar_->SetPaneText(i, QString::fromLatin1(texts[i]));
  }
  return true;
}

bool QtDisplay::PanesWaiting() {
  return panes_.Waiting();
}

void QtDisplay::WakeTick() {
  if (!tickPosted_.exchange(true)) Post([this] { Tick(); });
}

// While the reader thread keeps handing texts or cells over, the tick comes
// back by itself and the reader posts nothing: a wake-up of the window thread
// per message would cost the reader a post and a processor.
void QtDisplay::Tick() {
  const bool cells = ShowCells();
  const bool panes = PanesWaiting();
  // Half a tick early is on time: the tick's own timer runs a little late.
  if (panes && (!panesShown_.isValid() || panesShown_.elapsed() >= kPaneMs - kCellMs / 2)) {
    ShowPanes();
    panesShown_.start();
  }
  if (cells || panes) {
    QTimer::singleShot(kCellMs, &relay_, [this] { Tick(); });
    return;
  }
  tickPosted_.store(false);
  // What came while the flag was still set posted nothing: it is shown here,
  // unless something since has posted a tick of its own.
  if ((CellsWaiting() || PanesWaiting()) && !tickPosted_.exchange(true)) Tick();
}

void QtDisplay::DrawCellAt(int x, int y, const char* text, int colourClass) {
  const QRect area = canvas_.DrawCell(x, y, text, colourClass);
  {
    std::scoped_lock lock(cellMutex_);
    cellSpots_.Add(area);
  }
  if (OnWindowThread()) {
    ShowCells();
  } else {
    WakeTick();
  }
}

bool QtDisplay::ShowCells() {
  QRegion area;
  {
    std::scoped_lock lock(cellMutex_);
    area = cellSpots_.Take();
  }
  if (area.isEmpty()) return false;
  if (view_ != nullptr) view_->RequestUpdate(area);
  return true;
}

bool QtDisplay::CellsWaiting() {
  std::scoped_lock lock(cellMutex_);
  return !cellSpots_.Empty();
}

// Rendering reads the model under the engine lock, which the caller of these
// two may hold: the render always runs later, from the window thread's queue.
void QtDisplay::InvalidateTopology() {
  if (render_.AskTopology()) Post([this] { FlushRender(); });
}

void QtDisplay::InvalidateView() {
  if (render_.AskWhole()) Post([this] { FlushRender(); });
}

void QtDisplay::FlushRender() {
  const RenderRequest::Part part = render_.Take();
  if (view_ == nullptr || part == RenderRequest::Part::kNone) return;
  view_->RenderCanvas(part == RenderRequest::Part::kWhole);
}

void QtDisplay::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  ShowMessageWithDetails(text, caption, icon, "");
}

void QtDisplay::ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                                       const char* details) {
  const QString body = QString::fromLatin1(text);
  const QString title = CaptionText(caption);
  // Device paths and the system's reasons may hold any bytes.
  const QString more = QString::fromLocal8Bit(details != nullptr ? details : "");
  auto show = [this, body, title, icon, more] {
    QMessageBox box(BoxIcon(icon), title, body, QMessageBox::Ok, owner_);
    if (!more.isEmpty()) box.setDetailedText(more);
    CentreOnScreenWhenShown(box);
    box.exec();
  };
  // A message box waits for the operator: from any other thread it is
  // handed over, never waited for.
  if (OnWindowThread()) {
    show();
  } else {
    Post(show);
  }
}

void QtDisplay::SetButtons(const ButtonState& state) {
  if (!OnWindowThread()) {
    Post([this, state] { SetButtons(state); });
    return;
  }
  if (view_ != nullptr) view_->ApplyButtons(state);
}

void QtDisplay::SetSupervisionTimer(bool running) {
  if (!OnWindowThread()) {
    Post([this, running] { SetSupervisionTimer(running); });
    return;
  }
  if (view_ != nullptr) view_->SetSupervisionTimer(running);
}

}  // namespace tessaro
