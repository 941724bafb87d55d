// The operator's window: start-up and the message loop.

#include <QApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
  // The usage needs no display: answer it before Qt looks for one.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(tessaro::ProgramUsage(), stdout);
      return 0;
    }
  }
  QApplication app(argc, argv);

  // Qt has taken its own options out of the list; ours are what is left.
  const QStringList args = QCoreApplication::arguments();
  std::vector<std::string> storage;
  for (const QString& a : args) storage.push_back(a.toStdString());
  std::vector<const char*> argvLeft;
  for (const std::string& s : storage) argvLeft.push_back(s.c_str());
  const tessaro::ProgramOptions options =
      tessaro::ParseProgramOptions(static_cast<int>(argvLeft.size()), argvLeft.data());
  if (options.help) {
    std::fputs(tessaro::ProgramUsage(), stdout);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "tessaro: %s\n\n%s", options.error.c_str(), tessaro::ProgramUsage());
    return 2;
  }

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
