#pragma once

#include <QDialog>

class QComboBox;

namespace tessaro {

class Engine;

// "COM Port Properties": the operator's choice of port and line settings.
// OK confirms the settings; they take effect at the next open.
class ComPropertiesDialog final : public QDialog {
 public:
  ComPropertiesDialog(Engine& engine, QWidget* owner);

 private:
  void OnOk();

  Engine& engine_;
  QComboBox* lists_[5] = {};
};

}  // namespace tessaro
