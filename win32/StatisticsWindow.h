#pragma once

#include <windows.h>

#include <string>

#include "app/front/StatisticsModel.h"
#include "app/front/ViewScale.h"
#include "win32/PlotView.h"

namespace tessaro {

class Engine;

// The link test's statistics: a list view with one row per terminal and the
// plots of the chosen terminal over the run's seconds, read again every
// view::kStatisticsMs while the window is shown.  Not modal; the frame owns
// it and shows it again when the command comes a second time.  Drawn at the
// density of the screen it is on, like the frame.
class StatisticsWindow {
 public:
  explicit StatisticsWindow(const Engine& engine);
  ~StatisticsWindow();
  StatisticsWindow(const StatisticsWindow&) = delete;
  StatisticsWindow& operator=(const StatisticsWindow&) = delete;

  // Creates the window over `owner` the first time; shows it, in front.
  bool Show(HWND owner);

  // Reads the engine now and shows what it read.
  void Refresh();

  // Write the table as CSV, or the plot as PNG, to `path`: an empty text, or
  // the reason the file could not be written.
  std::string ExportTable(const std::string& path) const;
  std::string SavePlot(const std::string& path) const { return plot_.SavePng(path); }

  HWND Hwnd() const { return hwnd_; }
  HWND Table() const { return table_; }
  HWND Chooser() const { return chooser_; }
  HWND ModeLabel() const { return mode_; }
  const PlotView& Plot() const { return plot_; }
  const StatisticsModel& Model() const { return model_; }
  // The terminal the plot shows, 0 for none.
  int ChosenTerminal() const;

 private:
  template <typename T>
  friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateControls();
  void Layout();
  // Draws at `scale`: the font and every margin (the density of the screen
  // the window is on).
  void ApplyScale(const ViewScale& scale);
  void FillTable();
  void FillChooser();
  void ShowChosenSeries();
  void OnCommand(int id, int code);
  void AskAndWrite(bool table);

  StatisticsModel model_;
  HWND hwnd_ = nullptr;
  HWND mode_ = nullptr;
  HWND table_ = nullptr;
  HWND chooserLabel_ = nullptr;
  HWND chooser_ = nullptr;
  HWND export_ = nullptr;
  HWND save_ = nullptr;
  PlotView plot_;
  ViewScale scale_;
  HFONT font_ = nullptr;  // the GUI font at scale_, owned
  int columns_ = 0;       // the list view's columns now
  bool passiveColumns_ = false;
};

}  // namespace tessaro
