// The operator's window: start-up and the message loop.

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/Engine.h"
#include "core/Clock.h"
#include "link/LineTrace.h"
#include "link/NativeSerialPort.h"
#include "ui/AboutBox.h"
#include "ui/Demo.h"
#include "ui/FrameWindow.h"
#include "ui/ProgramOptions.h"
#include "ui/QtDisplay.h"

int main(int argc, char** argv) {
  // The whole line is read before Qt looks for a display, so --help,
  // --version and a bad option are answered without one.
  const tessaro::ProgramOptions options = tessaro::ParseProgramOptions(argc, argv);
  if (options.help) {
    std::fputs(tessaro::ProgramUsage(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs(tessaro::ProgramVersion(), stdout);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "tessaro: %s\n\n%s", options.error.c_str(), tessaro::ProgramUsage());
    return 2;
  }
  QApplication app(argc, argv);

  tessaro::QtDisplay display;
  tessaro::SteadyClock clock;
  const std::unique_ptr<tessaro::SerialPort> native = tessaro::MakeNativeSerialPort();
  tessaro::SerialPort* port = native.get();
  std::unique_ptr<tessaro::TracingPort> trace;
  if (!options.tracePath.empty()) {
    std::FILE* file = tessaro::TracingPort::OpenTraceFile(options.tracePath.c_str(), argc, argv);
    if (file == nullptr) {
      std::fprintf(stderr, "tessaro: cannot write %s: %s\n", options.tracePath.c_str(),
                   std::strerror(errno));
      return 2;
    }
    trace = std::make_unique<tessaro::TracingPort>(*native, file);
    port = trace.get();
  }
  tessaro::Engine engine(display, clock, *port);
  display.AttachEngine(engine);

  tessaro::FrameWindow frame(engine, display);
  frame.PlaceOnScreen();
  frame.show();

  std::unique_ptr<tessaro::Demo> demo;
  if (!options.demoDir.empty()) {
    demo = std::make_unique<tessaro::Demo>(frame, engine, QString::fromStdString(options.demoDir),
                                           options.demoTestSeconds);
    demo->Start();
  } else if (options.showAbout) {
    tessaro::AboutBox::Run(&frame);
  }
  return app.exec();
}
