#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QString>

#include "app/front/StatusPanes.h"

namespace tessaro {

// The frame's status bar (child 101): three panes placed by the application
// layer's pane layout on every resize.
class StatusBar final : public QStatusBar {
 public:
  static constexpr int kPanes = kStatusPanes;

  explicit StatusBar(QWidget* parent);

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
};

}  // namespace tessaro
