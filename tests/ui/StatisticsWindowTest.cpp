// The statistics window against the simulated network on a real
// pseudo-terminal, with echo delay and loss injected: what it shows must
// lie within what the network did.

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <numeric>

#include "WindowFixture.h"
#include "sim/Simulator.h"
#include "support/EngineTestAccess.h"
#include "ui/stats/SeriesPlot.h"
#include "ui/stats/StatisticsWindow.h"

namespace tessaro::testing {
namespace {

constexpr int kMinDelay = 20;
constexpr int kMaxDelay = 40;
// A packet's send tick is taken when its write has returned: a writer
// preempted between the two on a loaded machine makes a reply look that much
// shorter than the network's delay.
constexpr int kSchedulingSlack = 15;

sim::Scenario LossyNetwork() {
  sim::Scenario scenario = sim::Scenario::Default();  // bases 1, 2, 5; nine terminals
  scenario.delay = {kMinDelay, kMaxDelay};
  scenario.faults.echoLoss = 0.2;
  scenario.seed = 7;
  return scenario;
}

class StatisticsWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(network.Start(&error)) << error;
    UsePty(true, network.SlavePath());
    frame->OnCommand(kCmdOpen);
    ASSERT_TRUE(engine->IsPortOpen());
    ASSERT_TRUE(WaitFor([&] {
      return engine->Read([](const EngineView& v) {
        return v.registry.IsTerminalPresent(5, 15) && v.registry.IsTerminalPresent(1, 4);
      });
    }));
    Settle(200);
    frame->OnCommand(kCmdTestingStatistics);
    window = frame->Statistics();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] { return window->isVisible(); }));
  }

  // The table's cell of `row` under the column captioned `caption`.
  QString Cell(int row, const char* caption) const {
    QTableWidget* table = window->Table();
    for (int c = 0; c < table->columnCount(); ++c) {
      if (table->horizontalHeaderItem(c)->text() == QLatin1String(caption)) {
        return table->item(row, c)->text();
      }
    }
    ADD_FAILURE() << "no column " << caption;
    return {};
  }
  double Number(int row, const char* caption) const { return Cell(row, caption).toDouble(); }
  int RowOf(int terminal) const {
    for (int r = 0; r < window->Table()->rowCount(); ++r) {
      if (Cell(r, "Terminal").toInt() == terminal) return r;
    }
    return -1;
  }

  sim::Simulator network{LossyNetwork()};
  StatisticsWindow* window = nullptr;
};

TEST_F(StatisticsWindowTest, ActiveFiguresLieWithinTheInjectedDelayAndMatchTheLosses) {
  View().RunButton()->click();  // START
  // The window follows the test by itself, once a second.
  ASSERT_TRUE(WaitFor(
      [&] {
        if (window->Table()->rowCount() != 9) return false;
        for (int r = 0; r < 9; ++r) {
          if (Number(r, "Lost") < 2 || Number(r, "Good") < 5) return false;
        }
        return true;
      },
      90000));
  View().RunButton()->click();  // STOP: echoes still on their way are counted
  auto echoed = [&](int t) {
    const std::vector<sim::EchoRecord> records = network.Echoes(t);
    return std::count_if(records.begin(), records.end(),
                         [](const sim::EchoRecord& r) { return r.fate == sim::EchoFate::kEchoed; });
  };
  ASSERT_TRUE(WaitFor([&] {
    window->Refresh();
    for (const StatisticsRow& row : window->Model().Rows()) {
      if (row.good != echoed(row.terminal)) return false;
    }
    return true;
  }));

  for (int terminal : {1, 2, 3, 4, 7, 8, 11, 12, 15}) {
    SCOPED_TRACE("terminal " + std::to_string(terminal));
    const int row = RowOf(terminal);
    ASSERT_GE(row, 0);
    const std::vector<sim::EchoRecord> records = network.Echoes(terminal);
    ASSERT_FALSE(records.empty());
    // The last packet's loss is not counted: the stopped test no longer
    // times it out.
    const bool lastLost = records.back().fate == sim::EchoFate::kLost;
    int lost = 0, run = 0, longest = 0;
    std::vector<int> delays;
    for (std::size_t i = 0; i + (lastLost ? 1 : 0) < records.size(); ++i) {
      ASSERT_TRUE(records[i].fate == sim::EchoFate::kEchoed ||
                  records[i].fate == sim::EchoFate::kLost);
      if (records[i].fate == sim::EchoFate::kLost) {
        ++lost;
        longest = std::max(longest, ++run);
      } else {
        run = 0;
        delays.push_back(records[i].delayMs);
      }
    }
    const double good = static_cast<double>(delays.size());
    EXPECT_EQ(Number(row, "Sent"), static_cast<double>(records.size()));
    EXPECT_EQ(Number(row, "Good"), good);
    EXPECT_EQ(Number(row, "Lost"), lost);
    EXPECT_NEAR(Number(row, "Loss %"), 100.0 * lost / (good + lost), 0.0051);
    EXPECT_EQ(Number(row, "Longest loss run"), longest);

    // A reply time is the network's delay plus the time on the line and in
    // the two programs.
    const double meanDelay = std::accumulate(delays.begin(), delays.end(), 0.0) / good;
    const double min = Number(row, "Min ms");
    const double mean = Number(row, "Mean ms");
    const double max = Number(row, "Max ms");
    EXPECT_GE(min, kMinDelay - kSchedulingSlack);
    EXPECT_GE(mean, meanDelay - 5);
    EXPECT_LE(mean, meanDelay + 250);
    EXPECT_LE(min, mean);
    EXPECT_LE(mean, max);
    EXPECT_LE(max, kMaxDelay + 1000);
    EXPECT_LE(Number(row, "SD ms"), (max - min) / 2 + 0.05);
  }

  // The plot of the chosen terminal: reply times within the same range, and
  // the seconds of its losses.
  window->Chooser()->setCurrentIndex(RowOf(15));
  const std::vector<SeriesPoint>& points = window->Plot()->Points();
  ASSERT_FALSE(points.empty());
  double lossSeen = 0;
  for (const SeriesPoint& p : points) {
    if (p.replyMs) {
      EXPECT_GE(*p.replyMs, kMinDelay - kSchedulingSlack);
      EXPECT_LE(*p.replyMs, kMaxDelay + 1000);
    }
    lossSeen = std::max(lossSeen, p.lossPercent.value_or(0));
  }
  EXPECT_GT(lossSeen, 0);

  // The exports: the rows as CSV, the plot as PNG; a failure says why.
  QTemporaryDir dir;
  const QString csvPath = dir.filePath(QStringLiteral("table.csv"));
  modals.answer = [&](QWidget* w) {
    auto* chooser = qobject_cast<QFileDialog*>(w);
    if (chooser == nullptr) return false;
    chooser->selectFile(csvPath);
    static_cast<QDialog*>(chooser)->accept();
    return true;
  };
  window->findChild<QPushButton*>(QStringLiteral("ExportTable"))->click();
  QFile csv(csvPath);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  // The link tool's CSV: a row per base that lists a terminal.
  const QList<QByteArray> lines = csv.readAll().split('\n');
  qsizetype listings = 0;
  for (const StatisticsRow& row : window->Model().Rows()) {
    listings += std::max<qsizetype>(1, std::count(row.bases.begin(), row.bases.end(), ' ') + 1);
  }
  ASSERT_EQ(lines.size(), listings + 2);  // header, the rows, the final newline
  EXPECT_TRUE(lines[0].startsWith("base,terminal,sd,ok,ng,tm,av,loss_percent,sent,"));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const QByteArray& line) { return line.startsWith("5,15,"); }));
  const QString pngPath = dir.filePath(QStringLiteral("plot.png"));
  ASSERT_EQ(window->SavePlot(pngPath), QString());
  EXPECT_EQ(QImage(pngPath).size(), window->Plot()->size());
  EXPECT_FALSE(window->ExportTable(dir.filePath(QStringLiteral("missing/table.csv"))).isEmpty());
  frame->OnCommand(kCmdClose);
}

TEST_F(StatisticsWindowTest, PassiveModeShowsTheTerminalsOwnTrafficAndItsCounters) {
  network.SetPassive({5.0, 15});
  View().ModeButton()->click();  // PASSIVE
  ASSERT_TRUE(WaitFor([&] {
    const int row = RowOf(15);
    return window->Table()->horizontalHeaderItem(2)->text() == QStringLiteral("Received") &&
           row >= 0 && Number(row, "Received") >= 5;
  }));
  EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("ModeLabel"))
                  ->text()
                  .startsWith(QStringLiteral("PASSIVE")));
  const int row = RowOf(15);
  EXPECT_GE(Number(row, "Received"), Number(row, "Echo OK") + Number(row, "Echo NG"));
  EXPECT_EQ(Cell(row, "Duplicates"), QStringLiteral("0"));
  frame->OnCommand(kCmdClose);
}

}  // namespace
}  // namespace tessaro::testing
