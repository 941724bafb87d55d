#pragma once

#include <windows.h>

#include "app/front/DemoScript.h"

namespace tessaro {

class Engine;
class FrameWindow;

// The demo script's hands on Win32: menu commands, buttons and dialog
// controls, driven from a thread timer that keeps running inside every modal
// loop.
class Demo final : private DemoDriver {
 public:
  Demo(FrameWindow& frame, Engine& engine, const WindowOptions& options);
  ~Demo() override;
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  void Start();

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);

  void RunCommand(int id) override;
  bool RunButtonEnabled() override;
  void ClickRun() override;
  bool Save(const char* name, bool withView) override;
  Modal FindModal() override;
  bool SetControl(int id, const std::string& text) override;
  void Press(Answer answer) override;
  bool ChooseDownload(const std::string& image) override;
  bool ExportStatistics(const std::string& table, const std::string& plot, int& rows,
                        int& seconds) override;
  void CloseStatistics() override;
  void Quit(int code) override;
  bool ScrollView(Corner corner) override;

  FrameWindow& frame_;
  Engine& engine_;
  std::string dir_;
  DemoScript script_;
  UINT_PTR timer_ = 0;
  HWND modal_ = nullptr;  // the last one FindModal found
};

}  // namespace tessaro
