#include "ui/Demo.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <cstdio>

#include "app/Engine.h"
#include "app/front/BaseList.h"
#include "resources/RfMenu.h"
#include "ui/FrameWindow.h"
#include "ui/TopologyView.h"

namespace tessaro {

namespace {

constexpr int kTickMs = 100;
constexpr int kModalShownMs = 700;  // a dialog stays up this long for its picture

}  // namespace

Demo::Demo(FrameWindow& frame, Engine& engine, const QString& dir, int testSeconds)
    : frame_(frame), engine_(engine), dir_(dir), testMs_(testSeconds * 1000) {
  ticker_.setInterval(kTickMs);
  connect(&ticker_, &QTimer::timeout, this, [this] { Tick(); });
}

void Demo::Start() {
  QDir().mkpath(dir_);
  ticker_.start();
  QTimer::singleShot(500, this, [this] { Open(); });
}

void Demo::Open() {
  // Runs the Open command; a dialog it shows is answered by the ticker, which
  // keeps running in the dialog's own loop.
  frame_.OnCommand(kCmdOpen);
  if (failed_) return;
  if (!engine_.IsPortOpen()) {
    Finish(1, "the port did not open (is TESSARO_COM1 set to the simulator?)");
    return;
  }
  step_ = Step::Discovering;
  stepClock_.start();
  discovery_.Start(0);
}

void Demo::AnswerModal() {
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  if (dialog == nullptr) {
    modalClock_.invalidate();
    return;
  }
  if (!modalClock_.isValid()) modalClock_.start();
  if (modalClock_.elapsed() < kModalShownMs) return;
  modalClock_.invalidate();
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
    Save(QStringLiteral("error.png"));
    std::fprintf(stderr, "demo: message box \"%s\": %s\n", qPrintable(box->windowTitle()),
                 qPrintable(box->text()));
    failed_ = true;
    box->accept();
    Finish(1, "the window reported an error");
    return;
  }
  Save(QStringLiteral("comm-properties.png"));
  dialog->accept();
}

int Demo::NetworkSize() {
  return DiscoveredSize(engine_);
}

void Demo::Tick() {
  AnswerModal();
  switch (step_) {
    case Step::Opening:
    case Step::Done:
      return;
    case Step::Discovering: {
      const int size = NetworkSize();
      if (!discovery_.Over(size, stepClock_.elapsed())) return;
      if (size == 0) {
        Save(QStringLiteral("discovery.png"));
        Finish(1, "no base answered");
        return;
      }
      Save(QStringLiteral("discovery.png"));
      QPushButton* run = frame_.View()->RunButton();
      if (!run->isEnabled()) {
        Finish(1, "the START button is not enabled");
        return;
      }
      run->click();
      step_ = Step::Testing;
      stepClock_.start();
      return;
    }
    case Step::Testing:
      if (stepClock_.elapsed() < testMs_) return;
      Save(QStringLiteral("active-test.png"));
      frame_.View()->RunButton()->click();  // STOP
      frame_.OnCommand(kCmdClose);
      Finish(0, nullptr);
      return;
  }
}

void Demo::Save(const QString& name) {
  QPixmap shot;
  // On X the whole screen, so that a modal dialog is in the picture too.
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) shot = screen->grabWindow(0);
  }
  if (shot.isNull()) shot = frame_.grab();
  const QString path = QDir(dir_).absoluteFilePath(name);
  if (shot.save(path)) {
    std::printf("screenshot: %s\n", qPrintable(path));
  } else {
    std::fprintf(stderr, "demo: cannot write %s\n", qPrintable(path));
    failed_ = true;
  }
  std::fflush(stdout);
}

void Demo::Finish(int code, const char* why) {
  step_ = Step::Done;
  ticker_.stop();
  if (why != nullptr) std::fprintf(stderr, "demo: %s\n", why);
  if (failed_ && code == 0) code = 1;
  QCoreApplication::exit(code);
}

}  // namespace tessaro
