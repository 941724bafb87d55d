#pragma once

#include <windows.h>

#include <string>

#include "app/front/DiscoveryWatch.h"
#include "win32/Options.h"

namespace tessaro {

class Engine;
class FrameWindow;

// The scripted run: Open (answering the port dialog), wait until the network
// is discovered, run an ACTIVE test, then the scripted dialogs and the
// download, saving screenshots on the way, then Close and quit.  It drives
// the window as an operator would, through its menu commands, buttons and
// dialog controls, from a thread timer that keeps running inside every modal
// loop.
class Demo {
 public:
  Demo(FrameWindow& frame, Engine& engine, const Win32Options& options);
  ~Demo();
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  void Start();

 private:
  enum class Step { Opening, Discovering, Testing, Dialogs, Download, Reopening, Done };

  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Tick();
  // Runs menu command `id` as the operator's choice; the ticks inside its
  // modal loops only answer dialogs.
  void Run(int id);
  void AnswerModal();
  // Sets the scripted values of the dialog being answered; false when one
  // cannot be set (the run ends).
  bool FillDialog(HWND dialog, const std::string& title);
  void AnswerDialog(HWND dialog, const std::string& title);
  bool SetControl(HWND dialog, int id, const std::string& text);
  void Press(HWND dialog, int id);
  void Save(const char* name, bool withView);
  void Finish(int code, const char* why);
  int NetworkSize();
  DWORD Since(DWORD start) const { return GetTickCount() - start; }

  FrameWindow& frame_;
  Engine& engine_;
  Win32Options options_;
  Step step_ = Step::Opening;
  UINT_PTR timer_ = 0;
  bool running_ = false;  // inside Run
  DWORD stepStart_ = 0;
  DWORD modalSince_ = 0;
  HWND modal_ = nullptr;
  DiscoveryWatch discovery_;
  std::size_t nextDialog_ = 0;
  const ScriptedDialog* current_ = nullptr;  // the dialog being answered
  bool boxesExpected_ = false;
  bool failed_ = false;
};

}  // namespace tessaro
