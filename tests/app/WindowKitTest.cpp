// The window kit's hand-over of display calls, on a port that stands in for
// a toolkit: the test's thread is the window thread, and what is handed over
// runs when the test pumps it.

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/front/CellSpots.h"
#include "app/front/ViewTiming.h"
#include "app/front/WindowDisplay.h"

namespace tessaro {
namespace {

class KitDisplay final : public WindowDisplay {
 public:
  // Runs what was handed over, and the tick when one is due.
  void Pump() {
    for (;;) {
      std::vector<std::function<void()>> calls;
      {
        std::scoped_lock lock(mutex_);
        calls.swap(queue_);
      }
      if (calls.empty() && tickIn < 0) return;
      for (auto& call : calls) call();
      if (calls.empty()) {
        tickIn = -1;
        Tick();
      }
    }
  }

  std::string panes[3];
  int paneShows = 0;
  std::vector<CellBox> shown;
  int renders = 0;
  bool wholeRender = false;
  std::string modeText;
  bool supervising = false;
  std::string box;
  int tickIn = -1;

 private:
  bool OnWindowThread() const override { return std::this_thread::get_id() == window_; }
  bool PostToWindow(std::function<void()> call) override {
    std::scoped_lock lock(mutex_);
    queue_.push_back(std::move(call));
    return true;
  }
  CellBox DrawCell(int x, int y, const char* /*text*/, int /*colourClass*/) override {
    return {x, y, x + 51, y + 15};
  }
  void TickAfter(int ms) override { tickIn = ms; }
  void ShowPaneText(int pane, const char* text) override {
    panes[pane] = text;
    ++paneShows;
  }
  void ShowCells(const CellBox* spots, int count) override {
    shown.insert(shown.end(), spots, spots + count);
  }
  void RenderView(bool whole) override {
    ++renders;
    wholeRender = whole;
  }
  void ApplyButtons(const ButtonState& state) override { modeText = state.modeText; }
  void RunSupervision(bool running) override { supervising = running; }
  void ShowBox(const char* text, const char* caption, MessageIcon /*icon*/,
               const char* /*details*/) override {
    box = std::string(caption) + ": " + text;
  }

  std::thread::id window_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::vector<std::function<void()>> queue_;
};

// A reader thread's flood must neither wait for the window thread nor grow
// its queue, and the window must end on the latest of everything.
TEST(WindowDisplayTest, AFloodFromTheReaderIsHandedOverBoundedAndEndsOnTheLatest) {
  KitDisplay display;
  std::thread reader([&display] {
    char text[32];
    for (int i = 0; i < 20000; ++i) {
      std::snprintf(text, sizeof text, "@DT0101%05d", i);
      display.SetPaneText(1, text);
      display.DrawCellAt(186, 20 + 16 * (i % 4), text + 7, kBlue);
      display.InvalidateTopology();
      if (i == 7) display.InvalidateView();
    }
    char mode[] = "PASSIVE";
    ButtonState state;
    state.modeText = mode;
    display.SetButtons(state);
    mode[0] = 0;  // the reader's text is gone before the window runs
    display.SetSupervisionTimer(true);
    display.ShowMessage("Can't open the COM port!", "RF", MessageIcon::Warning);
  });
  reader.join();
  // The tick, one render, the buttons, the timer and the box.
  EXPECT_LE(display.MostQueuedCalls(), 5);
  display.Pump();
  EXPECT_EQ(display.QueuedCalls(), 0);
  EXPECT_EQ(display.panes[1], "@DT010119999");
  EXPECT_EQ(display.paneShows, 1);
  EXPECT_EQ(display.renders, 1);
  EXPECT_TRUE(display.wholeRender);
  ASSERT_EQ(display.shown.size(), 1U);  // one column of four cells: one spot
  EXPECT_EQ(display.shown[0].top, 20);
  EXPECT_EQ(display.shown[0].bottom, 20 + 48 + 15);
  EXPECT_EQ(display.modeText, "PASSIVE");
  EXPECT_TRUE(display.supervising);
  EXPECT_EQ(display.box, "RF: Can't open the COM port!");
}

// The screen update after a burst of cell redraws must cover every spot
// drawn, however many there were: a spot left out stays stale on the screen.
TEST(CellSpotsTest, TheUpdateCoversEverySpotDrawn) {
  struct Case {
    const char* what;
    int spots;
    int columns;
    int most;  // boxes the update may have
  };
  for (const Case& c :
       {Case{"one counter redrawn", 50, 1, 1}, Case{"a terminal's counters", 4, 1, 1},
        Case{"99 terminals' counters", 4 * 99, 99, 99},
        Case{"past the list's room", 4 * 300, 300, CellSpots::kCapacity + 1}}) {
    CellSpots spots;
    std::vector<CellBox> drawn;
    for (int i = 0; i < c.spots; ++i) {
      // Columns 84 pixels apart; in each, up to four 15-pixel cells 16 apart.
      const int column = i % c.columns;
      const int line = (i / c.columns) % 4;
      const int x = 10 + 84 * (column % 12);
      const int y = 100 + 200 * (column / 12) + 16 * line;
      drawn.push_back({x, y, x + 51, y + 15});
      spots.Add(drawn.back());
    }
    ASSERT_FALSE(spots.Empty()) << c.what;
    CellSpots::Taken update;
    spots.Take(update);
    for (const CellBox& spot : drawn) {
      bool covered = false;
      for (int i = 0; i < update.count; ++i) covered = covered || update.spots[i].Contains(spot);
      EXPECT_TRUE(covered) << c.what;
    }
    EXPECT_LE(update.count, c.most) << c.what;
    EXPECT_TRUE(spots.Empty()) << c.what;
  }
}

}  // namespace
}  // namespace tessaro
