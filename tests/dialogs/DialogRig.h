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
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>

#include "app/Engine.h"
#include "support/Recorders.h"

namespace tessaro::testing {

// An engine with no port: every command it writes is recorded.
struct RecordingEngine {
  RecordingDisplay display;
  ManualClock clock;
  AbsentSerialPort port;
  RecordingPort sent;
  Engine engine{display, clock, port, &sent};

  void MakePresent(std::initializer_list<int> bases) {
    std::scoped_lock lock(engine.Lock());
    for (int b : bases) engine.Registry().rows[b].present = 1;
  }
  BaseProperties& Properties(int base) { return engine.Registry().properties[base]; }
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
