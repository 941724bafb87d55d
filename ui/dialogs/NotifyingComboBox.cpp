#include "ui/dialogs/NotifyingComboBox.h"

#include <utility>

namespace tessaro {

NotifyingComboBox::NotifyingComboBox(std::function<void()> onNotify)
    : onNotify_(std::move(onNotify)) {
  QObject::connect(this, &QComboBox::currentIndexChanged, this, [this](int) { Notify(); });
}

void NotifyingComboBox::Notify() {
  if (onNotify_) onNotify_();
}

void NotifyingComboBox::showPopup() {
  QComboBox::showPopup();
  Notify();
}

void NotifyingComboBox::hidePopup() {
  QComboBox::hidePopup();
  Notify();
}

void NotifyingComboBox::focusInEvent(QFocusEvent* event) {
  QComboBox::focusInEvent(event);
  Notify();
}

void NotifyingComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  Notify();
}

}  // namespace tessaro
