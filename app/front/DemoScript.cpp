#include "app/front/DemoScript.h"

#include <cstdio>
#include <iterator>

#include "app/Engine.h"
#include "app/front/AboutTexts.h"
#include "app/front/BaseIdModel.h"
#include "app/front/BaseList.h"
#include "app/front/BasePropertiesModel.h"
#include "app/front/ComPortModel.h"
#include "app/front/CriteriaModel.h"
#include "app/front/ViewTiming.h"
#include "resources/RfMenu.h"

namespace tessaro {

namespace {

constexpr std::int64_t kOpenAfterMs = 500;
constexpr std::int64_t kModalShownMs = 700;  // a dialog stays up this long for its picture
// The statistics window has read the stopped test again before its export.
constexpr std::int64_t kStatisticsShownMs = view::kStatisticsMs + 500;

// The dialogs of the menu: their caption, command and picture name.
struct KnownDialog {
  const char* title;
  int command;
  const char* picture;
};

constexpr KnownDialog kDialogs[] = {
    {ComPortModel::kFrame.title, kCmdCommProperties, "comm-properties"},
    {CriteriaModel::kFrame.title, kCmdTestingCriteria, "criteria"},
    {BaseIdModel::kFrame.title, kCmdBaseId, "base-id"},
    {BasePropertiesModel::kFrame.title, kCmdBaseProperties, "base-properties"},
    {AboutBoxLayout::kFrame.title, kCmdAbout, "about"},
};

// The corners the view is scrolled to after the discovery, each saved a tick
// later (when it has been painted), and then the start again.
struct ScrollShot {
  DemoDriver::Corner corner;
  const char* picture;
};
constexpr ScrollShot kScrollShots[] = {{DemoDriver::Corner::kBottomLeft, "bottom-left"},
                                       {DemoDriver::Corner::kFarCorner, "far-corner"}};

}  // namespace

DemoScript::DemoScript(DemoDriver& driver, Engine& engine, const WindowOptions& options)
    : driver_(driver), engine_(engine), options_(options) {}

void DemoScript::Start(std::int64_t nowMs) {
  stepStart_ = nowMs;
}

void DemoScript::Run(int id) {
  running_ = true;
  driver_.RunCommand(id);
  running_ = false;
}

void DemoScript::Tick(std::int64_t nowMs) {
  AnswerModal(nowMs);
  if (running_) return;
  const std::int64_t since = nowMs - stepStart_;
  switch (step_) {
    case Step::kDone:
      return;
    case Step::kOpening:
      if (since >= kOpenAfterMs) OpenPort(nowMs);
      return;
    case Step::kDiscovering:
      Discovering(nowMs, since);
      return;
    case Step::kScrolling:
      Scrolling(nowMs);
      return;
    case Step::kTesting:
      Testing(nowMs, since);
      return;
    case Step::kStatistics:
      ShowStatistics(since);
      return;
    case Step::kDialogs:
      NextDialog(nowMs);
      return;
    case Step::kSwitching:
      if (engine_.IsPortOpen() && DiscoveredSize(engine_) > 0) {
        Save("switched", true);
        step_ = Step::kDownload;
      } else if (since > DiscoveryWatch::kLimitMs) {
        Finish(1, "the port chosen in the port dialog did not open");
      }
      return;
    case Step::kDownload:
      StartDownload(nowMs);
      return;
    case Step::kReopening:
      // A completed download opens the port again.
      if (engine_.IsPortOpen() && DiscoveredSize(engine_) > 0) {
        Finish(0, nullptr);
      } else if (since > DiscoveryWatch::kLimitMs) {
        Finish(1, "the port did not open again after the download");
      }
      return;
  }
}

void DemoScript::OpenPort(std::int64_t nowMs) {
  Run(kCmdOpen);
  if (step_ == Step::kDone) return;
  if (!engine_.IsPortOpen()) {
    Finish(1, "the port did not open (is COM1 the simulator?)");
    return;
  }
  openedPort_ = PortNameOf(engine_.Settings());
  step_ = Step::kDiscovering;
  stepStart_ = nowMs;
  discovery_.Start(0);
}

void DemoScript::Discovering(std::int64_t nowMs, std::int64_t since) {
  const int size = DiscoveredSize(engine_);
  if (!discovery_.Over(size, since)) return;
  Save("discovery", true);
  if (engine_.IsLinkLost()) {
    Finish(1, "the link was lost on a quiet line");
  } else if (size == 0) {
    Finish(1, "no base answered");
  } else if (!driver_.RunButtonEnabled()) {
    Finish(1, "the START button is not enabled");
  } else if (driver_.ScrollView(kScrollShots[0].corner)) {
    step_ = Step::kScrolling;
  } else {
    StartTest(nowMs);
  }
}

void DemoScript::Scrolling(std::int64_t nowMs) {
  const std::size_t shots = std::size(kScrollShots);
  Save(kScrollShots[scrollShot_].picture, true);
  if (++scrollShot_ < static_cast<int>(shots)) {
    driver_.ScrollView(kScrollShots[scrollShot_].corner);
  } else {
    // The test runs with the far corner in sight first: the counters
    // there change while the view is scrolled.
    scrolledTest_ = true;
    StartTest(nowMs);
  }
}

void DemoScript::Testing(std::int64_t nowMs, std::int64_t since) {
  if (since < static_cast<std::int64_t>(options_.demoTestSeconds) * 1000) return;
  if (scrolledTest_) {
    Save("far-corner-test", true);
    driver_.ScrollView(DemoDriver::Corner::kTopLeft);
    scrolledTest_ = false;
    return;
  }
  Save("active-test", true);
  if (engine_.IsLinkLost()) {
    Finish(1, "the link was lost during the test");
    return;
  }
  driver_.ClickRun();  // STOP
  step_ = options_.statisticsTable.empty() ? Step::kDialogs : Step::kStatistics;
  stepStart_ = nowMs;
  boxesExpected_ = true;
}

void DemoScript::NextDialog(std::int64_t nowMs) {
  if (nextDialog_ < options_.dialogs.size()) {
    current_ = &options_.dialogs[nextDialog_++];
    Run(current_->command);
    current_ = nullptr;
    return;
  }
  step_ = Step::kDownload;
  if (PortNameOf(engine_.Settings()) != openedPort_) {
    Run(kCmdClose);
    Run(kCmdOpen);
    step_ = Step::kSwitching;
    stepStart_ = nowMs;
  }
}

void DemoScript::StartDownload(std::int64_t nowMs) {
  if (options_.downloadImage.empty()) {
    Finish(0, nullptr);
    return;
  }
  if (!driver_.ChooseDownload(options_.downloadImage)) {
    Finish(1, "this window cannot download without the file dialog");
    return;
  }
  Run(kCmdDownload);
  step_ = Step::kReopening;
  stepStart_ = nowMs;
}

void DemoScript::ShowStatistics(std::int64_t since) {
  if (!statisticsShown_) {
    statisticsShown_ = true;
    Run(kCmdTestingStatistics);  // not modal: it returns at once
    return;
  }
  if (since < kStatisticsShownMs) return;
  int rows = 0;
  int seconds = 0;
  const std::string plot = options_.demoDir + "/statistics-plot.png";
  if (driver_.ExportStatistics(options_.statisticsTable, plot, rows, seconds)) {
    std::printf("statistics: %d rows, %d seconds plotted\n", rows, seconds);
  } else {
    failed_ = true;
  }
  Save("statistics", false);
  driver_.CloseStatistics();
  step_ = Step::kDialogs;
}

void DemoScript::StartTest(std::int64_t nowMs) {
  driver_.ClickRun();
  step_ = Step::kTesting;
  stepStart_ = nowMs;
}

void DemoScript::AnswerModal(std::int64_t nowMs) {
  const DemoDriver::Modal found = driver_.FindModal();
  if (found.handle != modal_) {
    modal_ = found.handle;
    if (modal_ == nullptr) okPressedOn_ = nullptr;  // the dialog answered has gone
    modalSince_ = nowMs;
    // The scripted values go in at once, so that the picture shows them.
    if (modal_ != nullptr && !found.isBox && !FillDialog(found.title)) modal_ = nullptr;
  }
  if (modal_ == nullptr || nowMs - modalSince_ < kModalShownMs) return;
  modal_ = nullptr;
  AnswerDialog(found);
}

bool DemoScript::FillDialog(const std::string& title) {
  for (const KnownDialog& known : kDialogs) {
    if (title != known.title || current_ == nullptr || current_->command != known.command) {
      continue;
    }
    for (const auto& [id, text] : current_->values) {
      if (!driver_.SetControl(id, text)) {
        std::fprintf(stderr, "demo: %s: control %d cannot show \"%s\"\n", known.title, id,
                     text.c_str());
        driver_.Press(DemoDriver::Answer::kCancel);
        Finish(1, "a scripted value was refused");
        return false;
      }
    }
  }
  return true;
}

void DemoScript::AnswerDialog(const DemoDriver::Modal& modal) {
  if (!modal.isBox) {
    for (const KnownDialog& known : kDialogs) {
      if (modal.title != known.title) continue;
      if (modal.handle == okPressedOn_) {
        // OK was pressed and the dialog stayed: it refused what the script
        // put in (a box said why); pressing OK again would never end.
        driver_.Press(DemoDriver::Answer::kCancel);
        Finish(1, "a dialog refused its scripted values");
        return;
      }
      Save(known.picture, false);
      okPressedOn_ = modal.handle;
      driver_.Press(DemoDriver::Answer::kOk);
      return;
    }
  }
  // A message box (its text is on standard output).
  if (!boxesExpected_) {
    Save("error", false);
    driver_.Press(DemoDriver::Answer::kOk);
    Finish(1, "the window reported an error");
    return;
  }
  driver_.Press(DemoDriver::Answer::kNo);
}

void DemoScript::Save(const char* name, bool withView) {
  if (!driver_.Save(name, withView)) failed_ = true;
  std::fflush(stdout);
}

void DemoScript::Finish(int code, const char* why) {
  if (step_ == Step::kDone) return;
  step_ = Step::kDone;
  if (why != nullptr) std::fprintf(stderr, "demo: %s\n", why);
  std::fflush(stderr);
  if (failed_ && code == 0) code = 1;
  driver_.Quit(code);
}

}  // namespace tessaro
