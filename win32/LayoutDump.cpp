#include "win32/LayoutDump.h"

#include <cstdio>
#include <string>

#include "app/Engine.h"
#include "app/front/TopologyLayout.h"

namespace tessaro {

namespace {

// Receives the repaint in device pixels and writes it from the origin.
class LayoutWriter final : public PaintSink {
 public:
  LayoutWriter(const ViewScale& scale, POINT origin)
      : scale_(scale), left_(static_cast<int>(origin.x)), top_(static_cast<int>(origin.y)) {}

  std::string lines;

  void DrawPicture(Picture picture, int x, int y) override {
    static const char* const kNames[] = {"host", "base", "terminal"};
    const PictureSize size = PictureSizeOf(picture, scale_);
    char line[96];
    std::snprintf(line, sizeof line, "picture %s %d %d %d %d\n", kNames[static_cast<int>(picture)],
                  x - left_, y - top_, size.width, size.height);
    lines += line;
  }
  void DrawVerticalLine(int /*x*/, int /*top*/, int /*bottom*/) override {}
  void DrawText(const TextBox& box, const char* text, int length, TextFace /*face*/,
                TextColour colour) override {
    static const char* const kColours[] = {"black", "red", "blue", "white"};
    char line[96];
    std::snprintf(line, sizeof line, "text %d %d %d %d %s ", box.left - left_, box.top - top_,
                  box.right - left_, box.bottom - top_, kColours[static_cast<int>(colour)]);
    lines += line;
    lines.append(text, static_cast<std::size_t>(length));
    lines += '\n';
  }

 private:
  ViewScale scale_;
  int left_;
  int top_;
};

}  // namespace

bool WriteLayout(const Engine& engine, const ViewScale& scale, int height, POINT origin,
                 const std::string& path) {
  LayoutWriter writer(scale, origin);
  ScaledSink sink(scale, writer);
  engine.Read([&](const EngineView& v) {
    PaintTopology(TopologyModel{v.registry, v.test, v.portOpen, v.notice}, scale.Logical(height),
                  sink);
  });
  FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) return false;
  const bool ok = std::fputs(writer.lines.c_str(), out) >= 0;
  return std::fclose(out) == 0 && ok;
}

}  // namespace tessaro
