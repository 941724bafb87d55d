// The operator's window: start-up and the message loop.

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Engine.h"
#include "app/front/WindowOptions.h"
#include "app/front/WindowStart.h"
#include "link/PortStack.h"
#include "ui/AboutBox.h"
#include "ui/Demo.h"
#include "ui/FrameWindow.h"
#include "ui/QtDisplay.h"
#include "ui/QtOptions.h"

int main(int argc, char** argv) {
  // The whole line is read before Qt looks for a display, so --help,
  // --version and a bad option are answered without one.
  const tessaro::WindowOptions options =
      tessaro::ParseWindowOptions(argc, argv, tessaro::QtOptionLength);
  tessaro::PortStack port;
  const int answered = tessaro::AnswerBeforeWindow(
      options, tessaro::kQtUsageNote, port, argc, argv, [](bool isError, const std::string& text) {
        std::fputs(text.c_str(), isError ? stderr : stdout);
      });
  if (answered >= 0) return answered;
  QApplication app(argc, argv);

  tessaro::WindowCore<tessaro::QtDisplay> core(port, options);
  tessaro::Engine& engine = core.engine;
  tessaro::FrameWindow frame(engine, core.display);
  frame.PlaceOnScreen();
  frame.show();

  std::unique_ptr<tessaro::Demo> demo;
  if (!options.demoDir.empty()) {
    demo = std::make_unique<tessaro::Demo>(frame, engine, options);
    demo->Start();
  } else if (options.showAbout) {
    tessaro::AboutBox::Run(&frame);
  }
  return QApplication::exec();
}
