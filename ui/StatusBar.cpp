#include "ui/StatusBar.h"

#include <QResizeEvent>

namespace tessaro {

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  setSizeGripEnabled(true);
  for (int i = 0; i < kPanes; ++i) {
    // Plain children: the bar's own layout leaves them where PlacePanes puts
    // them.
    panes_[i] = new QLabel(this);
    panes_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panes_[i]->setTextFormat(Qt::PlainText);
    panes_[i]->setObjectName(QStringLiteral("pane%1").arg(i));
  }
  setMinimumHeight(fontMetrics().height() + 8);
}

void StatusBar::SetPaneText(int pane, const QString& text) {
  if (pane < 0 || pane >= kPanes) return;
  texts_[pane] = text;
  panes_[pane]->setText(QString::fromStdString(ShownPaneText(text.toStdString())));
}

QString StatusBar::PaneText(int pane) const {
  return pane >= 0 && pane < kPanes ? texts_[pane] : QString();
}

QRect StatusBar::PaneRect(int pane) const {
  return pane >= 0 && pane < kPanes ? panes_[pane]->geometry() : QRect();
}

void StatusBar::resizeEvent(QResizeEvent* event) {
  QStatusBar::resizeEvent(event);
  PlacePanes();
}

void StatusBar::PlacePanes() {
  PaneSpan spans[kPanes];
  PlaceStatusPanes(width(), spans);
  // A pane of fixed size takes a new text without asking the bar to lay
  // itself out again: during a test the texts change ten times a second.
  for (int i = 0; i < kPanes; ++i) {
    panes_[i]->setFixedSize(spans[i].right - spans[i].left, height() - 2);
    panes_[i]->move(spans[i].left, 1);
  }
}

}  // namespace tessaro
