#pragma once

#include <QMainWindow>
#include <memory>

#include "app/front/MenuCommands.h"
#include "app/front/Shell.h"

class QAction;

namespace tessaro {

class Engine;
class QtDisplay;
class QtDownloadUi;
class StatisticsWindow;
class StatusBar;
class TopologyView;

// The frame window (class `RF`): the menu `RF`, the topology view and the
// three-pane status bar.  The menu commands and their sequences are the
// application layer's (MenuCommands); the frame only supplies the widgets.
class FrameWindow final : public QMainWindow, private Shell {
 public:
  static constexpr const char* kTitle = "  Tessaro ";

  FrameWindow(Engine& engine, QtDisplay& display);
  ~FrameWindow() override;

  // Places the frame at (0, 0), screen width by screen height less 30.
  void PlaceOnScreen();

  // A menu command by id; ids outside the menu are ignored.
  void OnCommand(int id);
  // Queues a command behind whatever the window thread is doing.
  void PostCommand(int id) override;

  TopologyView* View() const { return view_; }
  StatusBar* Bar() const { return statusBar_; }
  // The menu action of a command id, nullptr if none.
  QAction* ActionOf(int id) const;
  // The statistics window, nullptr until the command first showed it.
  StatisticsWindow* Statistics() const { return statistics_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();

  // Shell.
  void RunComPortDialog(ComPortModel& model) override;
  void RunCriteriaDialog(CriteriaModel& model) override;
  void RunBaseIdDialog(BaseIdModel& model) override;
  void RunBasePropertiesDialog(BasePropertiesModel& model) override;
  void RunAboutBox() override;
  DownloadUi& DownloadDialogs() override;
  void CloseFrame() override;
  void ShowStatistics() override;

  Engine& engine_;
  QtDisplay& display_;
  TopologyView* view_;
  StatusBar* statusBar_;
  std::unique_ptr<QtDownloadUi> downloadUi_;
  StatisticsWindow* statistics_ = nullptr;  // a child window: it goes with the frame
  MenuCommands commands_;
  bool closing_ = false;
};

}  // namespace tessaro
