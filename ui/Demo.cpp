#include "ui/Demo.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <cstdio>

#include "app/Engine.h"
#include "resources/RfMenu.h"
#include "ui/FrameWindow.h"
#include "ui/TopologyView.h"
#include "ui/dialogs/DialogControls.h"
#include "ui/stats/SeriesPlot.h"
#include "ui/stats/StatisticsWindow.h"

namespace tessaro {

Demo::Demo(FrameWindow& frame, Engine& engine, const WindowOptions& options)
    : frame_(frame),
      engine_(engine),
      dir_(QString::fromStdString(options.demoDir)),
      script_(*this, engine, options) {
  ticker_.setInterval(DemoScript::kTickMs);
  // Qt does not run a timer's handler again while it runs: the tick is
  // queued, so that a command's modal loop inside it still gets ticks.
  connect(&ticker_, &QTimer::timeout, this, [this] {
    QMetaObject::invokeMethod(
        this, [this] { script_.Tick(clock_.elapsed()); }, Qt::QueuedConnection);
  });
}

void Demo::Start() {
  QDir().mkpath(dir_);
  clock_.start();
  script_.Start(0);
  ticker_.start();
}

void Demo::RunCommand(int id) {
  frame_.OnCommand(id);
}

bool Demo::RunButtonEnabled() {
  return frame_.View()->RunButton()->isEnabled();
}

void Demo::ClickRun() {
  frame_.View()->RunButton()->click();
}

DemoDriver::Modal Demo::FindModal() {
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  modal_ = dialog;
  if (dialog == nullptr) return {};
  return {dialog, dialog->windowTitle().toStdString(),
          qobject_cast<QMessageBox*>(dialog) != nullptr};
}

bool Demo::SetControl(int id, const std::string& text) {
  if (modal_ == nullptr) return false;
  const QString name = ControlName(id);
  const QString value = QString::fromStdString(text);
  if (auto* list = modal_->findChild<QComboBox*>(name)) {
    const int row = list->findText(value, Qt::MatchExactly);
    if (row < 0) return false;
    list->setCurrentIndex(row);
    return true;
  }
  if (auto* box = modal_->findChild<QLineEdit*>(name)) {
    box->setText(value);
    return true;
  }
  return false;
}

void Demo::Press(Answer answer) {
  auto* dialog = qobject_cast<QDialog*>(modal_.data());
  if (dialog == nullptr) return;
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
    std::fprintf(stderr, "demo: message box \"%s\": %s\n", qPrintable(box->windowTitle()),
                 qPrintable(box->text()));
    if (answer == Answer::kNo && box->button(QMessageBox::No) != nullptr) {
      box->button(QMessageBox::No)->click();
      return;
    }
  }
  if (answer == Answer::kCancel) {
    dialog->reject();
    return;
  }
  // OK as the operator presses it, so that the dialog's own checks run and
  // its values are taken; a dialog without an OK button of its own closes.
  if (auto* ok = dialog->findChild<QPushButton*>(ControlName(1))) {
    ok->click();
  } else {
    dialog->accept();
  }
}

// The Qt window asks for the image with its file dialog only.
bool Demo::ChooseDownload(const std::string& /*image*/) {
  return false;
}

bool Demo::ExportStatistics(const std::string& table, const std::string& plot, int& rows,
                            int& seconds) {
  StatisticsWindow* window = frame_.Statistics();
  if (window == nullptr || !window->isVisible()) {
    std::fprintf(stderr, "demo: the statistics window is not shown\n");
    return false;
  }
  rows = window->Table()->rowCount();
  seconds = static_cast<int>(window->Plot()->Points().size());
  bool ok = true;
  for (const auto& [path, error] :
       {std::pair{table, window->ExportTable(QString::fromStdString(table))},
        std::pair{plot, window->SavePlot(QString::fromStdString(plot))}}) {
    if (error.isEmpty()) continue;
    std::fprintf(stderr, "demo: cannot write %s: %s\n", path.c_str(), qPrintable(error));
    ok = false;
  }
  return ok;
}

void Demo::CloseStatistics() {
  if (StatisticsWindow* window = frame_.Statistics()) window->hide();
}

bool Demo::Save(const char* name, bool /*withView*/) {
  QPixmap shot;
  // On X the whole screen, so that a modal dialog is in the picture too.
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) shot = screen->grabWindow(0);
  }
  if (shot.isNull()) shot = frame_.grab();
  const QString path = QDir(dir_).absoluteFilePath(QString::fromLatin1(name) + ".png");
  if (!shot.save(path)) {
    std::fprintf(stderr, "demo: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("screenshot: %s\n", qPrintable(path));
  return true;
}

void Demo::Quit(int code) {
  ticker_.stop();
  if (engine_.IsPortOpen()) frame_.OnCommand(kCmdClose);
  QCoreApplication::exit(code);
}

}  // namespace tessaro
