#pragma once

#include <QDialog>

class QLineEdit;

namespace tessaro {

class CriteriaModel;

// "Testing Criteria": data length, retransmits and time-out of the link test.
// The data length and time-out boxes are checked on every change; OK stores
// all three.
class ParameterDialog final : public QDialog {
 public:
  ParameterDialog(CriteriaModel& model, QWidget* owner);

 private:
  void Check(int box);
  void OnOk();

  CriteriaModel& model_;
  QLineEdit* boxes_[3] = {};
};

}  // namespace tessaro
