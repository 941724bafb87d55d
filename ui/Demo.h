#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "app/front/DemoScript.h"

namespace tessaro {

class Engine;
class FrameWindow;

// The demo script's hands on Qt: the window's commands, buttons and dialog
// controls, driven by a timer that keeps running inside every modal loop.
class Demo final : public QObject, private DemoDriver {
 public:
  Demo(FrameWindow& frame, Engine& engine, const WindowOptions& options);
  void Start();

 private:
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

  FrameWindow& frame_;
  Engine& engine_;
  QString dir_;
  DemoScript script_;
  QTimer ticker_;
  QElapsedTimer clock_;
  QPointer<QWidget> modal_;  // the last one FindModal found
};

}  // namespace tessaro
