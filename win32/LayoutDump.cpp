#include "win32/LayoutDump.h"

#include <cstdio>
#include <string>

#include "app/Engine.h"
#include "app/front/TopologyLayout.h"

namespace tessaro {

namespace {

class LayoutWriter final : public PaintSink {
 public:
  std::string lines;

  void DrawPicture(Picture picture, int x, int y) override {
    static const char* const kNames[] = {"host", "base", "terminal"};
    static const int kSizes[][2] = {{layout::kHostWidth, layout::kHostHeight},
                                    {layout::kBaseWidth, layout::kBaseHeight},
                                    {layout::kTerminalWidth, layout::kTerminalHeight}};
    const int i = static_cast<int>(picture);
    char line[96];
    std::snprintf(line, sizeof line, "picture %s %d %d %d %d\n", kNames[i], x, y, kSizes[i][0],
                  kSizes[i][1]);
    lines += line;
  }
  void DrawVerticalLine(int /*x*/, int /*top*/, int /*bottom*/) override {}
  void DrawText(const TextBox& box, const char* text, int length, TextFace /*face*/,
                TextColour colour) override {
    static const char* const kColours[] = {"black", "red", "blue", "white"};
    char line[96];
    std::snprintf(line, sizeof line, "text %d %d %d %d %s ", box.left, box.top, box.right,
                  box.bottom, kColours[static_cast<int>(colour)]);
    lines += line;
    lines.append(text, static_cast<std::size_t>(length));
    lines += '\n';
  }
};

}  // namespace

bool WriteLayout(const Engine& engine, int height, const std::string& path) {
  LayoutWriter writer;
  engine.Read([&](const EngineView& v) {
    PaintTopology(TopologyModel{v.registry, v.test, v.portOpen, v.notice}, height, writer);
  });
  FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) return false;
  const bool ok = std::fputs(writer.lines.c_str(), out) >= 0;
  return std::fclose(out) == 0 && ok;
}

}  // namespace tessaro
