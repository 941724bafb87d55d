#pragma once

#include <windows.h>

#include <memory>

#include "app/front/MenuCommands.h"
#include "app/front/Shell.h"
#include "win32/ClientView.h"
#include "win32/ObjectWindow.h"
#include "win32/Win32Display.h"

namespace tessaro {

class Engine;
class StatisticsWindow;
class Win32DownloadUi;

// The frame window (class `RF`): the menu `RF`, the topology view and the
// three-pane status window.  The menu commands and their sequences are the
// application layer's (MenuCommands); the frame only supplies the windows.
class FrameWindow final : private Shell, private DisplayTarget {
 public:
  static constexpr const char* kTitle = "  Tessaro ";

  FrameWindow(Engine& engine, Win32Display& display);
  ~FrameWindow() override;
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;

  // Creates the frame at (0, 0), screen width by screen height less 30, and
  // shows it.
  bool Create(int show);
  HWND Hwnd() const { return hwnd_; }
  ClientView& View() { return view_; }
  HWND StatusWindow() const { return status_; }
  Win32DownloadUi& Downloads() { return *downloadUi_; }
  // The statistics window once Testing Statistics has opened it, else nullptr.
  StatisticsWindow* Statistics() const { return statistics_.get(); }

  // A menu command by id; ids outside the menu are ignored.
  void OnCommand(int id);
  // Queues a command behind whatever the window thread is doing.
  void PostCommand(int id) override;
  // Commands posted and not run yet.
  int PendingCommands() const { return pendingCommands_; }

 private:
  // The window procedure's side (ObjectWindow.h).
  template <typename T>
  friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();
  // Fonts, pictures and sizes for the screen's scale.
  void ApplyScale(const ViewScale& scale);

  // Shell.
  void RunComPortDialog(ComPortModel& model) override;
  void RunCriteriaDialog(CriteriaModel& model) override;
  void RunBaseIdDialog(BaseIdModel& model) override;
  void RunBasePropertiesDialog(BasePropertiesModel& model) override;
  void RunAboutBox() override;
  void ShowStatistics() override;
  DownloadUi& DownloadDialogs() override;
  void CloseFrame() override;

  // DisplayTarget.
  void ShowPaneText(int pane, const char* text) override;
  void RepaintArea(const RECT& area) override { view_.RepaintArea(area); }
  void RenderView(bool whole) override { view_.Render(whole); }
  void ApplyButtons(const ButtonState& state) override { view_.ApplyButtons(state); }
  void RunSupervision(bool running) override { view_.RunSupervision(running); }
  HWND BoxOwner() override { return view_.Hwnd(); }

  Engine& engine_;
  Win32Display& display_;
  ClientView view_;
  std::unique_ptr<Win32DownloadUi> downloadUi_;
  std::unique_ptr<StatisticsWindow> statistics_;  // owned by the frame: it goes with it
  MenuCommands commands_;
  HWND hwnd_ = nullptr;
  HWND status_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HFONT statusFont_ = nullptr;
  ViewScale scale_;
  int pendingCommands_ = 0;
};

}  // namespace tessaro
