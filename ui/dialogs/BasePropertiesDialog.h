#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tessaro {

class BasePropertiesModel;
class NotifyingComboBox;
class UpDownControl;

// "Base Station's Properties": channel, group, power, time-out, mode and baud
// rate of one present base, as it last reported them.  OK sends a set
// command per changed property; a confirmed baud change leaves the model's
// reopen request set.
class BasePropertiesDialog final : public QDialog {
 public:
  BasePropertiesDialog(BasePropertiesModel& model, QWidget* owner);
  void done(int result) override;

 private:
  void ReloadFromBase();
  void OnModeNotified();
  void OnOk();

  BasePropertiesModel& model_;
  bool finished_ = false;
  QComboBox* lists_[6] = {};
  QLineEdit* timeout_;
  UpDownControl* arrows_;
};

}  // namespace tessaro
