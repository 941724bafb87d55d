#include "tools/replay/Replay.h"

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/LineTrace.h"
#include "link/NullSerialPort.h"

namespace tessaro {

namespace {

// Prints what a dispatch shows instead of drawing it.
class PrintingDisplay final : public Display {
 public:
  PrintingDisplay(std::FILE* out, bool cells) : out_(out), cells_(cells) {}
  void SetPaneText(int pane, const char* text) override {
    if (silent_) return;
    const std::string shown = EscapeBytes(text, std::char_traits<char>::length(text));
    std::fprintf(out_, "pane %d: %s\n", pane, shown.c_str());
  }
  void UpdateCell(char kind, int lineOffset, int number, const char* text,
                  int colourClass) override {
    if (!cells_) return;
    std::fprintf(out_, "cell %c%02d +%d: %s (colour %d)\n", kind, number, lineOffset, text,
                 colourClass);
  }
  void InvalidateTopology() override {}
  void InvalidateView() override {}
  void ShowMessage(const char* text, const char* caption, MessageIcon) override {
    std::fprintf(out_, "message %s: %s\n", caption, text);
  }
  void SetButtons(const ButtonState&) override {}
  void SetSupervisionTimer(bool) override {}
  // Nothing more is printed once the report is out (the shutdown blanks panes).
  void Silence() { silent_ = true; }

 private:
  std::FILE* out_;
  bool cells_;
  bool silent_ = false;
};

class PrintingPort final : public PortWriter {
 public:
  explicit PrintingPort(std::FILE* out) : out_(out) {}
  void Write(const char* bytes, std::size_t count) override {
    std::fprintf(out_, "-> %s\n", EscapeBytes(bytes, count).c_str());
  }

 private:
  std::FILE* out_;
};

class PrintingFrames final : public FrameSink {
 public:
  explicit PrintingFrames(std::FILE* out) : out_(out) {}
  void OnFrame(const char* message, std::size_t length) override {
    std::fprintf(out_, "<- %s\n", EscapeBytes(message, length).c_str());
  }

 private:
  std::FILE* out_;
};

std::string PropertyText(char c) {
  if (c == 0) return "-";
  return EscapeBytes(&c, 1);
}

void PrintRegistry(std::FILE* out, const StationRegistry& r, int sixChannelMode) {
  std::fprintf(out, "registry:\n");
  for (int b = 1; b <= kMaxBase; ++b) {
    if (!r.rows[b].present) continue;
    const BaseProperties& p = r.properties[b];
    std::fprintf(out, "  base %02d: channel %s group %s power %s mode %s timeout %d baud %d\n", b,
                 PropertyText(p.channel).c_str(), PropertyText(p.group).c_str(),
                 PropertyText(p.power).c_str(), PropertyText(p.mode).c_str(), p.timeout,
                 p.baudIndex);
    std::fprintf(out, "    terminals:");
    bool any = false;
    for (int t = 1; t <= kMaxTerminal; ++t) {
      if (r.rows[b].terminal[t]) {
        std::fprintf(out, " %02d", t);
        any = true;
      }
    }
    std::fprintf(out, "%s\n", any ? "" : " none");
  }
  std::fprintf(out, "  highestBase: %d\n", r.highestBase);
  std::fprintf(out, "six-channel mode: %d\n", sixChannelMode);
}

}  // namespace

std::string EscapeBytes(const char* bytes, std::size_t count) {
  return EscapeLineBytes(bytes, count);
}

int RunReplay(std::FILE* input, std::FILE* out, const ReplayOptions& options) {
  PrintingDisplay display(out, options.cells);
  PrintingPort port(out);
  PrintingFrames frames(out);
  NullSerialPort noPort;
  SteadyClock clock;
  Engine engine(display, clock, noPort, &port);
  engine.SetFrameObserver(&frames);
  engine.SelectBaud(options.baudIndex);
  engine.PresetLinkTest(options.passive ? LinkMode::Passive : LinkMode::Active,
                        options.running ? TestRun::Running : TestRun::Stopped);

  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, input)) > 0) engine.Feed(buffer, n);
  const bool failed = std::ferror(input) != 0;

  engine.Read([out](const EngineView& v) { PrintRegistry(out, v.registry, v.sixChannelMode); });
  display.Silence();
  return failed ? 1 : 0;
}

}  // namespace tessaro
