#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tessaro {

class BaseIdModel;
class UpDownControl;

// "Change Base Station's ID": one of the present bases takes a new number.
// OK sends "@ID" and then "@BS\r"; Cancel sends nothing.
class BaseIdDialog final : public QDialog {
 public:
  BaseIdDialog(BaseIdModel& model, QWidget* owner);

 private:
  void OnOk();

  BaseIdModel& model_;
  QComboBox* current_;
  QLineEdit* newId_;
  UpDownControl* arrows_;
};

}  // namespace tessaro
