#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include "app/front/DiscoveryWatch.h"

namespace tessaro {

class Engine;
class FrameWindow;

// The headless demo: Open (answering the port dialog if it comes), wait until
// the network is discovered, run an ACTIVE test for a few seconds, saving a
// screenshot at each stage, then Close and quit.  It drives the window as an
// operator would, through its commands and buttons.
class Demo final : public QObject {
 public:
  Demo(FrameWindow& frame, Engine& engine, const QString& dir, int testSeconds);
  void Start();

 private:
  enum class Step { Opening, Discovering, Testing, Done };
  void Tick();
  void Open();
  void AnswerModal();
  void Save(const QString& name);
  void Finish(int code, const char* why);
  int NetworkSize();

  FrameWindow& frame_;
  Engine& engine_;
  QString dir_;
  int testMs_;
  Step step_ = Step::Opening;
  QTimer ticker_;
  QElapsedTimer stepClock_;
  QElapsedTimer modalClock_;
  DiscoveryWatch discovery_;
  bool failed_ = false;
};

}  // namespace tessaro
