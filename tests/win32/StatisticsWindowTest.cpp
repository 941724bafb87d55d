// The Win32 statistics window over an engine with known figures: the list
// view shows them, the plot draws both series, and "Export table..." writes
// what tessaro-linktest --csv writes for the same records.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "app/Engine.h"
#include "app/front/PlotLayout.h"
#include "support/EngineTestAccess.h"
#include "support/Recorders.h"
#include "tools/linktest/Results.h"
#include "win32/StatisticsWindow.h"

namespace tessaro {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Cell(HWND table, int row, int column) {
  char text[64] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(table, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// Runs the window's messages until `done` or the deadline.
template <typename Done>
bool PumpUntil(Done done, DWORD limitMs = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return true;
}

class Win32StatisticsTest : public ::testing::Test {
 protected:
  // Bases 1 and 3 list terminal 5, base 3 lists 9; terminal 20 took part
  // and is listed no more.  Terminal 5 has replies and losses over three
  // seconds and view counters that wrapped.
  void SetUp() override {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    StationRegistry& r = EngineTestAccess::Registry(engine);
    r.rows[1].present = 1;
    r.rows[1].terminal[5] = 1;
    r.rows[3].present = 1;
    r.rows[3].terminal[5] = 1;
    r.rows[3].terminal[9] = 1;
    TestState& test = EngineTestAccess::Test(engine);
    test.stats.sdReCount[5] = 101;
    test.stats.okDpCount[5] = 2;
    test.stats.ngCount[5] = 1;
    test.stats.replyTime[5] = 45;
    test.stats.average[5] = 40;
    LinkStatistics& s = test.statistics;
    ResetStatistics(s, 0);
    NoteSent(s, 5, 100);
    NoteReply(s, 5, 135, 35);
    NoteSent(s, 5, 1100);
    NoteLoss(s, 5, 1900);
    NoteSent(s, 5, 2100);
    NoteReply(s, 5, 2145, 45);
    NoteLoss(s, 20, 0);
  }
  std::string ToolCsv() {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    const cli::Results results =
        cli::CollectResults(EngineTestAccess::Registry(engine), EngineTestAccess::Test(engine), 3);
    std::FILE* f = std::tmpfile();
    EXPECT_TRUE(cli::WriteCsv(f, results));
    std::rewind(f);
    std::string text;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
  }

  testing::RecordingDisplay display;
  testing::ManualClock clock;
  testing::AbsentSerialPort port;
  Engine engine{display, clock, port};
  StatisticsWindow window{engine};
};

TEST_F(Win32StatisticsTest, ShowsTheFiguresLiveAndExportsTheLinkToolsCsv) {
  ASSERT_TRUE(window.Show(nullptr));
  HWND table = window.Table();
  ASSERT_EQ(SendMessageA(table, LVM_GETITEMCOUNT, 0, 0), 3);  // terminals 5, 9, 20
  EXPECT_EQ(Cell(table, 0, 0), "5");
  EXPECT_EQ(Cell(table, 0, 1), "1 3");
  EXPECT_EQ(Cell(table, 0, 2), "3");      // sent
  EXPECT_EQ(Cell(table, 0, 5), "33.33");  // loss %
  EXPECT_EQ(Cell(table, 0, 7), "40.0");   // mean ms
  EXPECT_EQ(Cell(table, 2, 0), "20");
  char mode[64] = {};
  GetWindowTextA(window.ModeLabel(), mode, sizeof mode);
  EXPECT_STREQ(mode, "ACTIVE test, stopped");
  EXPECT_EQ(window.ChosenTerminal(), 5);
  EXPECT_EQ(window.Plot().Points().size(), 3u);

  // Both series are drawn, each in its colour.
  RECT plot{};
  GetClientRect(window.Plot().Hwnd(), &plot);
  ASSERT_GT(plot.right, 100);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, plot.right, plot.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  PaintPlot(memory, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), plot.right, plot.bottom,
            window.Plot().Points(), false, "Terminal 05");
  int reply = 0, loss = 0;
  for (int y = 0; y < plot.bottom; ++y) {
    for (int x = 0; x < plot.right; ++x) {
      const COLORREF c = GetPixel(memory, x, y);
      reply += c == RGB(kPlotReply.red, kPlotReply.green, kPlotReply.blue) ? 1 : 0;
      loss += c == RGB(kPlotLoss.red, kPlotLoss.green, kPlotLoss.blue) ? 1 : 0;
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EXPECT_GT(reply, 20);
  EXPECT_GT(loss, 20);

  // Live: a new packet shows within a refresh.
  {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    NoteSent(EngineTestAccess::Test(engine).statistics, 5, 3100);
  }
  EXPECT_TRUE(PumpUntil([&] { return Cell(table, 0, 2) == "4"; }));

  // The export is the link tool's CSV for the same records, byte for byte.
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  const std::string csv = std::string(folder) + "tessaro-statistics-test.csv";
  ASSERT_EQ(window.ExportTable(csv), "");
  const std::string written = Contents(csv);
  EXPECT_EQ(written, ToolCsv());
  EXPECT_EQ(written.rfind("base,terminal,sd,ok,ng,tm,av,loss_percent,sent,good,lost,", 0), 0u);
  EXPECT_NE(written.find("\n1,5,101,2,1,45,40,33.33,4,2,1,0,35,45,40.000,5.000,1,0\n3,5,"),
            std::string::npos)
      << written;
  // A failed export says why and leaves no partial file behind.
  EXPECT_NE(window.ExportTable(std::string(folder) + "no-such-folder\\t.csv"), "");

  // The plot as PNG, the size of the plot on the screen.
  const std::string png = std::string(folder) + "tessaro-statistics-test.png";
  ASSERT_EQ(window.SavePlot(png), "");
  const std::string image = Contents(png);
  ASSERT_GT(image.size(), 24u);
  EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1a\n");
  auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned char>(image[at]) << 24) |
           (static_cast<unsigned char>(image[at + 1]) << 16) |
           (static_cast<unsigned char>(image[at + 2]) << 8) |
           static_cast<unsigned char>(image[at + 3]);
  };
  EXPECT_EQ(be32(16), plot.right);
  EXPECT_EQ(be32(20), plot.bottom);
  DeleteFileA(csv.c_str());
  DeleteFileA(png.c_str());

  // Closed, it is hidden and reads nothing; shown again, the same window.
  const HWND shown = window.Hwnd();
  SendMessageA(shown, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(shown));
  ASSERT_TRUE(window.Show(nullptr));
  EXPECT_EQ(window.Hwnd(), shown);
  EXPECT_TRUE(IsWindowVisible(shown));
}

}  // namespace
}  // namespace tessaro
