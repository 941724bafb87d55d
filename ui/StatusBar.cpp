#include "ui/StatusBar.h"

#include <QResizeEvent>
#include <algorithm>

namespace tessaro {

namespace {

QString Printable(const QString& text) {
  QString shown = text;
  while (!shown.isEmpty() && (shown.back() == QChar('\r') || shown.back() == QChar('\n'))) {
    shown.chop(1);
  }
  for (QChar& c : shown) {
    if (c.unicode() < 0x20) c = QChar(' ');
  }
  return shown;
}

}  // namespace

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

void StatusBar::SetParts(const int (&rightEdges)[kPanes]) {
  std::copy(std::begin(rightEdges), std::end(rightEdges), edges_);
  PlacePanes();
}

void StatusBar::SetPaneText(int pane, const QString& text) {
  if (pane < 0 || pane >= kPanes) return;
  texts_[pane] = text;
  panes_[pane]->setText(Printable(text));
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
  int left = 0;
  for (int i = 0; i < kPanes; ++i) {
    const int right = edges_[i] < 0 ? width() : std::min(edges_[i], width());
    // A frame narrower than 500 pixels leaves the first panes empty rather
    // than overlapping.
    const int w = std::max(0, right - left);
    panes_[i]->setGeometry(left, 1, w, height() - 2);
    left = std::max(left, right);
  }
}

}  // namespace tessaro
