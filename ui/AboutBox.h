#pragma once

#include <QDialog>

namespace tessaro {

// The About box (template `AboutBox`): the icon, the program line, the
// copyright line and OK.  Only OK or Enter closes it; Esc and the close box
// do nothing.
class AboutBox final : public QDialog {
 public:
  explicit AboutBox(QWidget* owner);

  // Shows the box modally and returns when it is closed.
  static void Run(QWidget* owner);

 public:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace tessaro
