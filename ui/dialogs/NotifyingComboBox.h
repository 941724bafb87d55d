#pragma once

#include <QComboBox>
#include <functional>

namespace tessaro {

// A drop-down list that reports every notification a list sends to its
// dialog: a new selection, gaining or losing the focus, opening or closing
// its list.  Selections set by the program under a QSignalBlocker do not
// report.
class NotifyingComboBox final : public QComboBox {
 public:
  explicit NotifyingComboBox(std::function<void()> onNotify);

  void showPopup() override;
  void hidePopup() override;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Notify();

  std::function<void()> onNotify_;
};

}  // namespace tessaro
