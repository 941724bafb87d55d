#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/front/DiscoveryWatch.h"
#include "app/front/WindowOptions.h"

namespace tessaro {

class Engine;

// What a toolkit does for the demo: the operator's hands and the camera.
class DemoDriver {
 public:
  // The dialog or message box that takes input now.
  struct Modal {
    const void* handle = nullptr;  // nullptr: none
    std::string title;
    bool isBox = false;  // a message box (anything but a dialog of the menu)
  };
  enum class Answer { kOk, kNo, kCancel };

  virtual ~DemoDriver() = default;
  // Runs menu command `id` as the operator's choice; it may run modal loops,
  // in which the script's ticks keep coming.
  virtual void RunCommand(int id) = 0;
  virtual bool RunButtonEnabled() = 0;
  virtual void ClickRun() = 0;
  // Saves a picture of the screen as NAME (and of the view alone when
  // `withView`), says so on standard output; false when it cannot be written.
  virtual bool Save(const char* name, bool withView) = 0;
  virtual Modal FindModal() = 0;
  // Shows `text` in control `id` of the modal dialog (an entry of a list, or
  // the text of a box); false when the control cannot show it.
  virtual bool SetControl(int id, const std::string& text) = 0;
  // Answers the modal dialog or box; kNo is OK where there is no No.
  virtual void Press(Answer answer) = 0;
  // The next download reads `image` without asking for a file.
  virtual bool ChooseDownload(const std::string& image) = 0;
  // Exports the statistics window's table as CSV to `table` and saves its
  // plot as PNG to `plot`; gives the rows of its table and the seconds of
  // its plot.  false, saying why on standard error, when a file cannot be
  // written.
  virtual bool ExportStatistics(const std::string& table, const std::string& plot, int& rows,
                                int& seconds) = 0;
  virtual void CloseStatistics() = 0;
  // Ends the program with `code`: through Exit when 0, else closing the port.
  virtual void Quit(int code) = 0;
  // Scrolls the view to a corner of its content, as the operator's keys or
  // scroll bars would; false when this window cannot (nothing is saved then).
  enum class Corner { kTopLeft, kBottomLeft, kFarCorner };
  virtual bool ScrollView(Corner /*corner*/) { return false; }
};

// The demo, the same in every toolkit: Open (answering the port dialog),
// wait until the network is discovered, scroll to the lowest row and to the
// far corner (where the window scrolls), run an ACTIVE test (seen from the far
// corner, then from the start), then the statistics window, the scripted
// dialogs (when they chose another port: open that one and wait until its
// network is discovered) and the download, saving pictures on the way, then
// end.
// The toolkit calls Tick every kTickMs from a timer that keeps running inside
// modal loops, with its clock in ms.
class DemoScript {
 public:
  static constexpr int kTickMs = 100;

  DemoScript(DemoDriver& driver, Engine& engine, const WindowOptions& options);

  void Start(std::int64_t nowMs);
  void Tick(std::int64_t nowMs);
  bool Done() const { return step_ == Step::kDone; }

 private:
  enum class Step {
    kOpening,
    kDiscovering,
    kScrolling,
    kTesting,
    kStatistics,
    kDialogs,
    kSwitching,
    kDownload,
    kReopening,
    kDone
  };

  void Run(int id);
  // The steps of Tick.
  void OpenPort(std::int64_t nowMs);
  void Discovering(std::int64_t nowMs, std::int64_t since);
  void Scrolling(std::int64_t nowMs);
  void StartTest(std::int64_t nowMs);
  void Testing(std::int64_t nowMs, std::int64_t since);
  void NextDialog(std::int64_t nowMs);
  void StartDownload(std::int64_t nowMs);
  void AnswerModal(std::int64_t nowMs);
  bool FillDialog(const std::string& title);
  void AnswerDialog(const DemoDriver::Modal& modal);
  void Save(const char* name, bool withView);
  void ShowStatistics(std::int64_t since);
  void Finish(int code, const char* why);

  DemoDriver& driver_;
  Engine& engine_;
  WindowOptions options_;
  Step step_ = Step::kOpening;
  bool running_ = false;  // inside Run
  std::int64_t stepStart_ = 0;
  std::int64_t modalSince_ = 0;
  const void* modal_ = nullptr;
  const void* okPressedOn_ = nullptr;  // the dialog last answered with OK, while it is up
  DiscoveryWatch discovery_;
  int scrollShot_ = 0;         // the next corner of kScrollShots
  bool scrolledTest_ = false;  // the test started with the far corner in sight
  std::string openedPort_;     // the port opened first
  std::size_t nextDialog_ = 0;
  const ScriptedDialog* current_ = nullptr;  // the dialog being answered
  bool statisticsShown_ = false;
  bool boxesExpected_ = false;
  bool failed_ = false;
};

}  // namespace tessaro
