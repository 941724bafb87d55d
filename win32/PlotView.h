#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/front/StatisticsModel.h"

namespace tessaro {

// Draws the statistics plot of `points` (app/front/PlotLayout) into `dc`,
// `width` by `height` pixels from (0, 0), in `font`.
void PaintPlot(HDC dc, HFONT font, int width, int height, const std::vector<SeriesPoint>& points,
               bool passive, const std::string& title);

// The statistics window's plot: a child window that paints the chosen
// terminal's seconds, through a bitmap so that a refresh does not flicker.
class PlotView {
 public:
  PlotView() = default;
  ~PlotView();
  PlotView(const PlotView&) = delete;
  PlotView& operator=(const PlotView&) = delete;

  bool Create(HWND parent, HFONT font);
  HWND Hwnd() const { return hwnd_; }
  // Draws in `font` from now on (the caller keeps it); repaints.
  void SetFont(HFONT font);

  // The terminal shown (`title`) and its seconds; repaints.
  void SetSeries(const std::string& title, std::vector<SeriesPoint> points, bool passive);
  const std::vector<SeriesPoint>& Points() const { return points_; }

  // The plot as the window shows it, written as a PNG file: an empty text,
  // or why it could not be written.
  std::string SavePng(const std::string& path) const;

 private:
  template <typename T>
  friend LRESULT CALLBACK ObjectWindowProc(HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc, int width, int height) const;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  std::string title_;
  std::vector<SeriesPoint> points_;
  bool passive_ = false;
};

}  // namespace tessaro
