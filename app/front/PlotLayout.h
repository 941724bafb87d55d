#pragma once

#include <string>
#include <vector>

#include "app/front/StatisticsModel.h"
#include "app/front/ViewLook.h"

namespace tessaro {

// The statistics window's plot, the same in every toolkit: two panes over
// the seconds of the run, one above the other, the mean reply time of each
// second and the share of each second's packets that were lost.  A toolkit
// measures its font, asks LayOutPlot where everything goes and draws it: a
// white ground, each pane's frame and grid, its texts, its line through
// each run of seconds that have a figure and a mark on every such second.

// What the toolkit's font measures, in pixels.
struct PlotMetrics {
  int width = 0;  // the plot's size
  int height = 0;
  int lineHeight = 0;  // a line of text
  int ascent = 0;      // baseline below the top of a line
  int labelWidth = 0;  // the width of kWidestLabel
};

// A scale's label is never wider than this.
inline constexpr char kWidestLabel[] = "99999";

// A rectangle as the toolkits draw a frame: its right and bottom edges are
// the last pixels inside.
struct PlotBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width - 1; }
  int Bottom() const { return top + height - 1; }
};

struct PlotPoint {
  double x = 0;
  double y = 0;
};

// A text with its baseline at y; x is its left edge, its right edge or its
// centre.
enum class PlotAlign { kLeft, kRight, kCentre };
struct PlotText {
  std::string text;
  double x = 0;
  double y = 0;
  PlotAlign align = PlotAlign::kLeft;
};

struct PlotPane {
  PlotBox area;
  double top = 1.0;    // the figure at the top edge
  double right = 1.0;  // the second at the right edge
  PlotText caption;
  // The scale's figures and seconds.
  std::vector<PlotText> labels;
  // Light lines across the pane at these heights.
  std::vector<double> grid;
  // One polyline per run of seconds with a figure; a second without one
  // leaves a gap, never a zero.
  std::vector<std::vector<PlotPoint>> runs;
  look::Rgb colour{};
};

struct PlotFrame {
  PlotText title;
  PlotPane reply;
  PlotPane loss;
  PlotText unit;
};

// The frames, the grid and the texts are black, the grid this grey; a
// series' line is kLineWidth wide and its marks kMarkRadius.
inline constexpr look::Rgb kPlotGrid{220, 220, 220};
inline constexpr look::Rgb kPlotReply{0, 90, 200};
inline constexpr look::Rgb kPlotLoss{200, 30, 30};
inline constexpr double kLineWidth = 1.5;
inline constexpr double kMarkRadius = 2.0;

// The smallest 1, 2 or 5 times a power of ten at or above `value` (1 for
// nothing above zero), so that a scale ends on a round figure.
double RoundUp(double value);

// Where everything of the plot of `points` goes, under `title`.
PlotFrame LayOutPlot(const PlotMetrics& metrics, const std::vector<SeriesPoint>& points,
                     bool passive, const std::string& title);

}  // namespace tessaro
