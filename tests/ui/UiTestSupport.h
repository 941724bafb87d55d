#pragma once

// Helpers of the window tests: waiting on conditions while the event loop
// runs, answering modal boxes, and a pseudo-terminal playing the base.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace tessaro::testing {

// Runs the event loop until `condition` holds; false after `timeoutMs`.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QTest::qWait(5);
  }
  return true;
}

// Lets the event loop run for a moment.  Only for showing that something does
// NOT happen; whatever should happen is waited for with WaitFor.
inline void Settle(int ms = 50) {
  QTest::qWait(ms);
}

// Watches for modal dialogs and answers them.  By default a message box is
// accepted and any other dialog cancelled; `answer` may do otherwise and
// returns true when it dealt with the dialog.
class ModalAnswerer : public QObject {
 public:
  struct Seen {
    std::string title;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::string objectName;
    std::string details;
  };

  ModalAnswerer() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
    timer_.start();
  }

  std::function<bool(QWidget*)> answer;
  std::vector<Seen> seen;

 private:
  void Look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->property("answered").toBool()) return;
    Seen s;
    s.title = modal->windowTitle().toStdString();
    s.objectName = modal->objectName().toStdString();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      s.text = box->text().toStdString();
      s.icon = box->icon();
      s.details = box->detailedText().toStdString();
    }
    seen.push_back(s);
    if (answer && answer(modal)) {
      modal->setProperty("answered", true);
      return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      // OK where there is one: a question box tells its buttons apart.
      if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        ok->click();
      } else {
        box->accept();
      }
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    }
  }

  QTimer timer_;
};

// The master side of a pseudo-terminal: the test writes what the base says
// and reads what the PC sent.
class PtyBase {
 public:
  PtyBase();
  ~PtyBase();
  PtyBase(const PtyBase&) = delete;
  PtyBase& operator=(const PtyBase&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  void Say(const std::string& bytes);
  // Everything the PC has written so far (kept across calls).
  const std::string& Heard();
  // Waits until the PC has written `text` (anywhere in what it sent).
  bool WaitHeard(const std::string& text, int timeoutMs = 15000);
  // The base goes away as a pulled adapter does: the PC's side hangs up.
  void HangUp();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string heard_;
};

}  // namespace tessaro::testing
