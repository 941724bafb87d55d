#include "ui/QtDisplay.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QRegion>
#include <QString>
#include <QThread>
#include <QTimer>

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

void QtDisplay::AttachWindow(QWidget* owner, StatusBar* statusBar, TopologyView* view) {
  owner_ = owner;
  statusBar_ = statusBar;
  view_ = view;
}

bool QtDisplay::OnWindowThread() const {
  return QThread::currentThread() == relay_.thread();
}

bool QtDisplay::PostToWindow(std::function<void()> call) {
  return QMetaObject::invokeMethod(&relay_, std::move(call), Qt::QueuedConnection);
}

CellBox QtDisplay::DrawCell(int x, int y, const char* text, int colourClass) {
  const QRect area = canvas_.DrawCell(x, y, text, colourClass);
  if (area.isEmpty()) return {};
  return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

void QtDisplay::TickAfter(int ms) {
  QTimer::singleShot(ms, &relay_, [this] { Tick(); });
}

void QtDisplay::ShowPaneText(int pane, const char* text) {
  if (statusBar_ != nullptr) statusBar_->SetPaneText(pane, QString::fromLatin1(text));
}

void QtDisplay::ShowCells(const CellBox* spots, int count) {
  if (view_ == nullptr) return;
  QRegion area;
  for (int i = 0; i < count; ++i) {
    const CellBox& s = spots[i];
    area += QRect(s.left, s.top, s.right - s.left, s.bottom - s.top);
  }
  view_->RequestUpdate(area);
}

void QtDisplay::RenderView(bool whole) {
  if (view_ != nullptr) view_->RenderCanvas(whole);
}

void QtDisplay::ApplyButtons(const ButtonState& state) {
  if (view_ != nullptr) view_->ApplyButtons(state);
}

void QtDisplay::RunSupervision(bool running) {
  if (view_ != nullptr) view_->SetSupervisionTimer(running);
}

void QtDisplay::ShowBox(const char* text, const char* caption, MessageIcon icon,
                        const char* details) {
  QMessageBox box(BoxIcon(icon), CaptionText(caption), QString::fromLatin1(text), QMessageBox::Ok,
                  owner_);
  // Device paths and the system's reasons may hold any bytes.
  const QString more = QString::fromLocal8Bit(details);
  if (!more.isEmpty()) box.setDetailedText(more);
  CentreOnScreenWhenShown(box);
  box.exec();
}

}  // namespace tessaro
