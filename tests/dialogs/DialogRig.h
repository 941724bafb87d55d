#pragma once

// What the dialog tests share: an engine whose commands are recorded, ways
// to find a dialog's controls by id, and a hand that answers message boxes.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "app/Engine.h"
#include "app/front/BaseIdModel.h"
#include "app/front/BasePropertiesModel.h"
#include "app/front/ComPortModel.h"
#include "app/front/CriteriaModel.h"
#include "app/front/Shell.h"
#include "support/EngineTestAccess.h"
#include "support/Recorders.h"
#include "ui/dialogs/DialogCommands.h"

namespace tessaro::testing {

// An engine with no port: every command it writes is recorded.
struct RecordingEngine {
  RecordingDisplay display;
  ManualClock clock;
  AbsentSerialPort port;
  RecordingPort sent;
  Engine engine{display, clock, port, &sent};

  void MakePresent(std::initializer_list<int> bases) {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    for (int b : bases) EngineTestAccess::Registry(engine).rows[b].present = 1;
  }
  BaseProperties& Properties(int base) {
    return EngineTestAccess::Registry(engine).properties[base];
  }
};

// Each dialog run over a fresh model of `engine`, as the menu commands do.
inline void RunComPropertiesDlg(Engine& engine, QWidget* owner) {
  ComPortModel model(engine, {});  // the machine's own devices left out
  tessaro::RunComPropertiesDlg(model, owner);
}
inline void RunParameterDlg(Engine& engine, QWidget* owner) {
  CriteriaModel model(engine);
  tessaro::RunParameterDlg(model, owner);
}
inline void RunBaseIdDlg(Engine& engine, QWidget* owner) {
  BaseIdModel model(engine);
  tessaro::RunBaseIdDlg(model, owner);
}
// True when a confirmed baud change asks for the port to be reopened.
inline bool RunBasePropertiesDlg(Engine& engine, QWidget* owner) {
  BasePropertiesModel model(engine);
  tessaro::RunBasePropertiesDlg(model, owner);
  return model.ReopenRequest();
}

// A frame without a window: the dialogs run on real widgets, posted
// commands are recorded.
class DialogShell final : public Shell {
 public:
  void RunComPortDialog(ComPortModel& model) override {
    tessaro::RunComPropertiesDlg(model, nullptr);
  }
  void RunCriteriaDialog(CriteriaModel& model) override {
    tessaro::RunParameterDlg(model, nullptr);
  }
  void RunBaseIdDialog(BaseIdModel& model) override { tessaro::RunBaseIdDlg(model, nullptr); }
  void RunBasePropertiesDialog(BasePropertiesModel& model) override {
    tessaro::RunBasePropertiesDlg(model, nullptr);
  }
  void RunAboutBox() override {}
  DownloadUi& DownloadDialogs() override { std::abort(); }
  void PostCommand(int id) override { posted.push_back(id); }
  void CloseFrame() override {}
  std::vector<int> posted;
};

template <typename T>
T* Control(QWidget& dialog, int id) {
  return dialog.findChild<T*>(QString::number(id));
}

inline QStringList Items(QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

// The label whose mnemonic leads to `buddy`.
inline QLabel* LabelOf(QWidget& dialog, QWidget* buddy) {
  for (QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->buddy() == buddy) return label;
  }
  return nullptr;
}

inline void ClickOk(QWidget& dialog) {
  Control<QPushButton>(dialog, 1)->click();
}
inline void ClickCancel(QWidget& dialog) {
  Control<QPushButton>(dialog, 2)->click();
}

// Answers the next message box with `button`, noting what it said.  The box
// is found by polling, so it may open at any point after this is armed.
class MessageBoxHand {
 public:
  explicit MessageBoxHand(QMessageBox::StandardButton button) : button_(button) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  int answered = 0;
  QString text;
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;

 private:
  void Poll() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      text = box->text();
      caption = box->windowTitle();
      icon = box->icon();
      buttons = box->standardButtons();
      ++answered;
      timer_.stop();
      box->button(button_)->click();
      return;
    }
  }

  QMessageBox::StandardButton button_;
  QTimer timer_;
};

// Runs `act` on the modal dialog of type D once it is open (from inside the
// dialog's own event loop).
template <typename D>
void WhenOpen(std::function<void(D&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<QDialog*>(w); d != nullptr && d->isVisible()) dialog = d;
      }
    }
    if (auto* typed = dynamic_cast<D*>(dialog)) {
      timer->stop();
      timer->deleteLater();
      act(*typed);
    }
  });
  timer->start();
}

}  // namespace tessaro::testing
