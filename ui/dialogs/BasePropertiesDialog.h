#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tessaro {

class Engine;
class NotifyingComboBox;
class UpDownControl;

// "Base Station's Properties": channel, group, power, time-out, mode and baud
// rate of one present base, as it last reported them.  OK sends a set
// command per changed property; a confirmed baud change asks the caller to
// close the port and open it again at the new rate.
class BasePropertiesDialog final : public QDialog {
 public:
  BasePropertiesDialog(Engine& engine, QWidget* owner);

  // True after OK confirmed a baud change: "@SP" has gone out and the PC's
  // baud index follows it.
  bool ReopenRequest() const { return reopenRequest_; }

  void done(int result) override;

 private:
  void ReloadFromBase();
  void OnModeNotified();
  void OnOk();

  Engine& engine_;
  bool sixChannelMode_ = false;
  bool finished_ = false;
  bool reopenRequest_ = false;
  NotifyingComboBox* id_;
  QComboBox* channel_;
  QComboBox* group_;
  QComboBox* power_;
  QLineEdit* timeout_;
  UpDownControl* arrows_;
  NotifyingComboBox* mode_;
  QComboBox* baud_;
};

}  // namespace tessaro
