#pragma once

// What a topology cell shows for a change the engine reports: which cell,
// which of its lines and the text.  The repaint, the windows' placed draws
// and the printing front ends all take their cell texts from here.

#include <cstdint>
#include <cstdio>

#include "core/Display.h"
#include "core/TestState.h"

namespace tessaro {

// Kind of a topology cell.
inline constexpr char kBaseCell = 'B';
inline constexpr char kTerminalCell = 'T';

namespace layout {
// Line offsets of a terminal cell and of a base cell, in pixels below the
// cell's first text line.
inline constexpr int kTerminalLines[5] = {0, 14, 28, 44, 58};
inline constexpr int kBaseLines[3] = {0, 14, 28};
}  // namespace layout

// One text of a cell: the cell (kind and number), its line and the text.
struct CellText {
  char kind = kTerminalCell;
  int number = 0;
  int lineOffset = 0;
  int length = 0;
  char text[16] = {};  // "XX:" and any 32-bit value
};

namespace cell_detail {
inline constexpr const char* kCounterLabels[7] = {"SD", "RE", "OK", "DP", "NG", "TM", "AV"};
inline constexpr int kCounterLine[7] = {0, 0, 1, 1, 2, 3, 4};
inline constexpr const char* kPropertyLabels[3] = {"CH", "GP", "PW"};
}  // namespace cell_detail

// The counter shown on line `lineIndex` (0..4) of a terminal cell in a mode.
inline Counter CounterOfLine(int lineIndex, LinkMode mode) {
  constexpr Counter kActive[5] = {Counter::Sent, Counter::Ok, Counter::NoGood, Counter::ReplyTime,
                                  Counter::Average};
  constexpr Counter kPassive[5] = {Counter::Received, Counter::Duplicate, Counter::NoGood,
                                   Counter::ReplyTime, Counter::Average};
  if (lineIndex < 0 || lineIndex > 4) lineIndex = 0;
  return (mode == LinkMode::Passive ? kPassive : kActive)[lineIndex];
}

// "<label>:%05d" on the counter's line of the terminal's cell.
inline CellText CounterText(int terminal, Counter counter, std::int32_t value) {
  const auto index = static_cast<std::size_t>(counter);
  CellText cell;
  cell.kind = kTerminalCell;
  cell.number = terminal;
  cell.lineOffset = layout::kTerminalLines[cell_detail::kCounterLine[index]];
  const int n = std::snprintf(cell.text, sizeof cell.text, "%s:%05d",
                              cell_detail::kCounterLabels[index], static_cast<int>(value));
  cell.length = n < 0 ? 0 : n;
  return cell;
}

// "<label>:" and the value as it came, on the property's line of the base's
// cell.  A value of 0 ends the text after the colon.
inline CellText BasePropertyText(int base, BaseProperty property, char value) {
  const auto index = static_cast<std::size_t>(property);
  CellText cell;
  cell.kind = kBaseCell;
  cell.number = base;
  cell.lineOffset = layout::kBaseLines[index];
  const char* label = cell_detail::kPropertyLabels[index];
  cell.text[0] = label[0];
  cell.text[1] = label[1];
  cell.text[2] = ':';
  cell.text[3] = value;
  cell.length = value != 0 ? 4 : 3;
  return cell;
}

}  // namespace tessaro
