#pragma once

#include <QMainWindow>
#include <memory>

#include "ui/DownloadCommand.h"

class QAction;

namespace tessaro {

class Engine;
class QtDisplay;
class StatusBar;
class TopologyView;

// The frame window (class `RF`): the menu `RF`, the topology view and the
// three-pane status bar, and every menu command.
class FrameWindow final : public QMainWindow {
 public:
  static constexpr const char* kTitle = "  Tessaro ";
  // Right edges of the panes, from the right edge of the client area.
  static constexpr int kPane0FromRight = 500;
  static constexpr int kPane1FromRight = 180;
  static constexpr int kReopenPauseMs = 1500;

  FrameWindow(Engine& engine, QtDisplay& display);
  ~FrameWindow() override;

  // Places the frame at (0, 0), screen width by screen height less 30.
  void PlaceOnScreen();

  // A menu command by id; ids outside the menu are ignored.
  void OnCommand(int id);
  // Queues a command behind whatever the window thread is doing.
  void PostCommand(int id);

  TopologyView* View() const { return view_; }
  StatusBar* Bar() const { return statusBar_; }
  // The menu action of a command id, nullptr if none.
  QAction* ActionOf(int id) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  // "Base is not connected !" unless a session is open and a base present;
  // the first present base, or 0 after the message.
  int RequireBase();
  void Open();
  void BaseProperties();
  void Download();

  Engine& engine_;
  QtDisplay& display_;
  TopologyView* view_;
  StatusBar* statusBar_;
  std::unique_ptr<DownloadCommand> download_;
};

}  // namespace tessaro
