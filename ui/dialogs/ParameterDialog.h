#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;

namespace tessaro {

class Engine;

// "Testing Criteria": data length, retransmits and time-out of the link test.
// The data length and time-out boxes are checked on every change; OK stores
// all three.
class ParameterDialog final : public QDialog {
 public:
  ParameterDialog(Engine& engine, QWidget* owner);

 private:
  enum class Box { kDataLength, kTimeout };
  void Check(Box box);
  void OnOk();

  Engine& engine_;
  QLineEdit* dataLength_;
  QLineEdit* retransmits_;
  QLineEdit* timeout_;
  // Set while a box gets its stored value back: the change that writing
  // raises is not checked again, so no value can make the dialog restore
  // without end.
  bool restoring_ = false;
};

}  // namespace tessaro
