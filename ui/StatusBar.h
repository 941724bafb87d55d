#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QString>

namespace tessaro {

// The frame's status bar (child 101): three panes whose right edges the
// frame sets on every resize; -1 stands for the bar's right edge.
class StatusBar final : public QStatusBar {
 public:
  static constexpr int kPanes = 3;

  explicit StatusBar(QWidget* parent);

  void SetParts(const int (&rightEdges)[kPanes]);
  // The text as the core gave it; the pane shows it without control
  // characters (the "\r" that ends every message).
  void SetPaneText(int pane, const QString& text);
  QString PaneText(int pane) const;
  // Where pane `pane` sits in the bar.
  QRect PaneRect(int pane) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlacePanes();

  QLabel* panes_[kPanes];
  QString texts_[kPanes];
  int edges_[kPanes] = {-1, -1, -1};
};

}  // namespace tessaro
