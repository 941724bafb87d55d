#include "ui/QtDisplay.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QString>
#include <QThread>
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
  const int now = queued_.fetch_add(1) + 1;
  int most = mostQueued_.load();
  while (now > most && !mostQueued_.compare_exchange_weak(most, now)) {
  }
  QMetaObject::invokeMethod(
      &relay_,
      [this, call = std::forward<F>(call)]() mutable {
        queued_.fetch_sub(1);
        call();
      },
      Qt::QueuedConnection);
}

void QtDisplay::SetPaneText(int pane, const char* text) {
  if (pane < 0 || pane > 2 || text == nullptr) return;
  {
    std::scoped_lock lock(paneMutex_);
    std::strncpy(paneText_[pane], text, kPaneTextSize - 1);
    paneText_[pane][kPaneTextSize - 1] = 0;
    paneDirty_[pane] = true;
  }
  if (OnWindowThread()) {
    FlushPanes();
  } else if (!panesPosted_.exchange(true)) {
    Post([this] { FlushPanes(); });
  }
}

void QtDisplay::FlushPanes() {
  // Cleared before reading: a text written from now on posts a new flush.
  panesPosted_.store(false);
  QString texts[3];
  bool dirty[3];
  {
    std::scoped_lock lock(paneMutex_);
    for (int i = 0; i < 3; ++i) {
      dirty[i] = paneDirty_[i];
      paneDirty_[i] = false;
      if (dirty[i]) texts[i] = QString::fromLatin1(paneText_[i]);
    }
  }
  if (statusBar_ == nullptr) return;
  for (int i = 0; i < 3; ++i) {
    if (dirty[i]) statusBar_->SetPaneText(i, texts[i]);
  }
}

// The engine places every cell (DrawCellAt); an unplaced redraw has nowhere
// to go.
void QtDisplay::UpdateCell(char /*kind*/, int /*lineOffset*/, int /*number*/, const char* /*text*/,
                           int /*colourClass*/) {}

void QtDisplay::DrawCellAt(int x, int y, const char* text, int colourClass) {
  const QRect area = canvas_.DrawCell(x, y, text, colourClass);
  {
    std::scoped_lock lock(cellMutex_);
    cellArea_ |= area;
  }
  if (OnWindowThread()) {
    FlushCells();
  } else if (!cellsPosted_.exchange(true)) {
    Post([this] { FlushCells(); });
  }
}

void QtDisplay::FlushCells() {
  cellsPosted_.store(false);
  QRect area;
  {
    std::scoped_lock lock(cellMutex_);
    area = cellArea_;
    cellArea_ = QRect();
  }
  if (view_ != nullptr && !area.isEmpty()) view_->RequestUpdate(area);
}

// Rendering reads the model under the engine lock, which the caller of these
// two may hold: the render always runs later, from the window thread's queue.
void QtDisplay::InvalidateTopology() {
  renderTopology_.store(true);
  if (!renderPosted_.exchange(true)) Post([this] { FlushRender(); });
}

void QtDisplay::InvalidateView() {
  renderWhole_.store(true);
  if (!renderPosted_.exchange(true)) Post([this] { FlushRender(); });
}

void QtDisplay::FlushRender() {
  renderPosted_.store(false);
  const bool whole = renderWhole_.exchange(false);
  const bool topology = renderTopology_.exchange(false);
  if (view_ == nullptr || (!whole && !topology)) return;
  view_->RenderCanvas(whole);
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
