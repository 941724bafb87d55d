#include "app/front/TopologyLayout.h"

#include <cstring>

namespace tessaro {

namespace {

using namespace layout;

struct LegendLine {
  const char* text;
  TextColour colour;
};
// There is no legend line for OK or NG: the labels explain themselves.
constexpr LegendLine kLegend[6] = {
    {"SD:Send", TextColour::Blue},      {"RE:Receive", TextColour::Blue},
    {"DP:Duplicate", TextColour::Blue}, {"TM:Time", TextColour::Red},
    {"AV:Average", TextColour::Red},    {"  (msec)", TextColour::Red},
};
constexpr int kLegendDy[6] = {0, 14, 28, 42, 56, 70};

void DrawString(PaintSink& sink, int x, int y, const char* text, TextFace face, TextColour colour) {
  const int length = static_cast<int>(std::strlen(text));
  sink.DrawText(TextBoxAt(x, y, length), text, length, face, colour);
}

void DrawTwoDigits(PaintSink& sink, int x, int y, int n) {
  char digits[3];
  EncodeTwoDigits(n, digits);
  digits[2] = 0;
  DrawString(sink, x, y, digits, TextFace::System, TextColour::White);
}

// A property character not reported yet is stored as 0; it shows as a blank
// so that the label still takes its four characters.
void DrawBaseLine(PaintSink& sink, int rowTop, BaseProperty property, char value) {
  const CellText cell = BasePropertyText(0, property, value != 0 ? value : ' ');
  sink.DrawText(TextBoxAt(kBaseTextX, rowTop + kBaseTextDy + cell.lineOffset, cell.length),
                cell.text, cell.length, TextFace::View, TextColour::Black);
}

std::int32_t CounterOf(const TerminalStats& stats, int lineIndex, int t) {
  switch (lineIndex) {
    case 0:
      return stats.sdReCount[t];
    case 1:
      return stats.okDpCount[t];
    case 2:
      return stats.ngCount[t];
    case 3:
      return stats.replyTime[t];
    default:
      return stats.average[t];
  }
}

void PaintTerminal(const TopologyModel& model, int t, int x, int rowTop, PaintSink& sink) {
  sink.DrawPicture(Picture::Terminal, x, rowTop + kTerminalPictureDy);
  DrawTwoDigits(sink, x + kTerminalNumberDx, rowTop + kTerminalNumberDy, t);
  const int textX = x + kTerminalTextDx;
  for (int line = 0; line < 5; ++line) {
    const CellText cell = CounterText(t, CounterOfLine(line, model.test.linkMode),
                                      CounterOf(model.test.stats, line, t));
    const TextColour colour = line < 3 ? TextColour::Blue : TextColour::Red;
    sink.DrawText(TextBoxAt(textX, rowTop + kTerminalTextDy + cell.lineOffset, cell.length),
                  cell.text, cell.length, TextFace::View, colour);
  }
}

void PaintBaseRow(const TopologyModel& model, int b, int rowTop, PaintSink& sink) {
  const StationRegistry& r = model.registry;
  sink.DrawPicture(Picture::Base, kBasePictureX, rowTop + kBasePictureDy);
  DrawTwoDigits(sink, kBaseNumberX, rowTop + kBaseNumberDy, b);
  const BaseProperties& p = r.properties[b];
  DrawBaseLine(sink, rowTop, BaseProperty::Channel, p.channel);
  DrawBaseLine(sink, rowTop, BaseProperty::Group, p.group);
  DrawBaseLine(sink, rowTop, BaseProperty::Power, p.power);
  int x = kFirstTerminalX;
  const int highest = r.highestTerminal[b] < kMaxTerminal ? r.highestTerminal[b] : kMaxTerminal;
  for (int t = 1; t <= highest; ++t) {
    if (!r.IsTerminalPresent(b, t)) continue;
    PaintTerminal(model, t, x, rowTop, sink);
    x += kColumnWidth;
  }
}

}  // namespace

TextColour ColourOfClass(int colourClass) {
  switch (colourClass) {
    case 1:
      return TextColour::Red;
    case 2:
      return TextColour::Blue;
    default:
      return TextColour::Black;
  }
}

int FormatTerminalLine(int lineIndex, LinkMode linkMode, std::int32_t value, char* out,
                       std::size_t size) {
  if (size == 0) return 0;
  const CellText cell = CounterText(0, CounterOfLine(lineIndex, linkMode), value);
  const std::size_t n = static_cast<std::size_t>(cell.length) < size ? cell.length : size - 1;
  std::memcpy(out, cell.text, n);
  out[n] = 0;
  return static_cast<int>(n);
}

void PaintTopology(const TopologyModel& model, int height, PaintSink& sink) {
  sink.DrawPicture(Picture::Host, kHostX, kHostY);
  if (!model.portOpen) return;
  if (model.notice != nullptr) {
    DrawString(sink, kLegendX, kHostY + kHostHeight + 4, model.notice, TextFace::View,
               TextColour::Red);
  }
  for (int x : kSeparatorX) sink.DrawVerticalLine(x, 0, height);
  const int legendY = height - kLegendFromBottom;
  for (int i = 0; i < 6; ++i) {
    DrawString(sink, kLegendX, legendY + kLegendDy[i], kLegend[i].text, TextFace::View,
               kLegend[i].colour);
  }
  const StationRegistry& r = model.registry;
  const int highestBase = r.highestBase < kMaxBase ? r.highestBase : kMaxBase;
  int rowTop = 0;
  for (int b = 1; b <= highestBase; ++b) {
    if (!r.IsBasePresent(b)) continue;
    PaintBaseRow(model, b, rowTop, sink);
    rowTop += kRowHeight;
  }
}

ContentSize ContentSizeOf(const StationRegistry& registry, bool portOpen) {
  const ButtonGeometry lowestButton = ButtonRect(1);
  ContentSize size{kHostX + kHostWidth, kHostY + kHostHeight};
  if (!portOpen) return size;
  size.height = lowestButton.y + lowestButton.height + kLegendFromBottom;
  int rows = 0;
  int columns = 0;
  // The bounds the repaint draws within.
  const int highestBase = registry.highestBase < kMaxBase ? registry.highestBase : kMaxBase;
  for (int b = 1; b <= highestBase; ++b) {
    if (!registry.IsBasePresent(b)) continue;
    ++rows;
    const int highest =
        registry.highestTerminal[b] < kMaxTerminal ? registry.highestTerminal[b] : kMaxTerminal;
    int n = 0;
    for (int t = 1; t <= highest; ++t) n += registry.IsTerminalPresent(b, t) ? 1 : 0;
    if (n > columns) columns = n;
  }
  if (rows == 0) return size;
  if (rows * kRowHeight > size.height) size.height = rows * kRowHeight;
  size.width = kFirstTerminalX + columns * kColumnWidth;
  return size;
}

int RowIndexOf(const StationRegistry& registry, int base) {
  int k = 0;
  for (int b = 1; b < base && b <= kMaxBase; ++b) k += registry.IsBasePresent(b) ? 1 : 0;
  return k;
}

bool TerminalColumn(const StationRegistry& registry, int terminal, int* base, int* column) {
  if (!IsTerminalNumber(terminal)) return false;
  for (int b = 1; b <= kMaxBase; ++b) {
    if (!registry.IsBasePresent(b) || !registry.IsTerminalPresent(b, terminal)) continue;
    int m = 0;
    for (int t = 1; t < terminal; ++t) m += registry.IsTerminalPresent(b, t) ? 1 : 0;
    *base = b;
    *column = m;
    return true;
  }
  return false;
}

bool CellPosition(const StationRegistry& registry, char kind, int lineOffset, int number, int* x,
                  int* y) {
  if (kind == kBaseCell) {
    if (!registry.IsBasePresent(number)) return false;
    *x = kBaseTextX;
    *y = kRowHeight * RowIndexOf(registry, number) + kBaseTextDy + lineOffset;
    return true;
  }
  if (kind == kTerminalCell) {
    int base = 0;
    int m = 0;
    if (!TerminalColumn(registry, number, &base, &m)) return false;
    *x = kFirstTerminalX + kTerminalTextDx * (m + 1) + kTerminalStep * m;
    *y = kRowHeight * RowIndexOf(registry, base) + kTerminalTextDy + lineOffset;
    return true;
  }
  return false;
}

}  // namespace tessaro
