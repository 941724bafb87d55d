#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tessaro {

class ComPortModel;

// "COM Port Properties": the operator's choice of port and line settings.
// OK confirms the settings; they take effect at the next open.
class ComPropertiesDialog final : public QDialog {
 public:
  ComPropertiesDialog(ComPortModel& model, QWidget* owner);

 private:
  void OnOk();

  ComPortModel& model_;
  QComboBox* lists_[5] = {};
  QLineEdit* networkPort_ = nullptr;
  QLabel* networkNote_ = nullptr;
  QCheckBox* reconnect_ = nullptr;
};

}  // namespace tessaro
