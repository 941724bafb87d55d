#include "ui/dialogs/BasePropertiesDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <mutex>

#include "app/Engine.h"
#include "ui/dialogs/BaseList.h"
#include "ui/dialogs/BasePropertiesLogic.h"
#include "ui/dialogs/DialogControls.h"
#include "ui/dialogs/NotifyingComboBox.h"
#include "ui/dialogs/UpDownControl.h"

namespace tessaro {

namespace {

constexpr int kLabelX = 14;
constexpr int kComboX = 63;
constexpr int kComboWidth = 53;

void FillDigits(QComboBox* list, int count) {
  for (int i = 1; i <= count; ++i) list->addItem(QString::number(i));
}

// A row of the form: label at x 14, its control at x 63 two units higher.
QComboBox* AddRow(QWidget* parent, QComboBox* combo, int id, const char* label, int labelY) {
  AddDropList(parent, combo, id, kComboX, labelY - 2, kComboWidth);
  AddLabel(parent, label, DialogRect(kLabelX, labelY, 40, 12), combo);
  return combo;
}

}  // namespace

BasePropertiesDialog::BasePropertiesDialog(Engine& engine, QWidget* owner)
    : QDialog(owner), engine_(engine) {
  SetUpDialogFrame(*this, "Base Station's Properties", 138, 197);
  AddGroupBox(this, DialogRect(10, 6, 118, 154));
  id_ = new NotifyingComboBox([this] { ReloadFromBase(); });
  AddRow(this, id_, 701, "&ID :", 20);
  channel_ = AddRow(this, new QComboBox, 702, "&Channel :", 40);
  group_ = AddRow(this, new QComboBox, 703, "&Group :", 60);
  power_ = AddRow(this, new QComboBox, 704, "&Power :", 80);
  const QRect editRect = DialogRect(kComboX, 98, kComboWidth, 12);
  timeout_ = AddEdit(this, 601, editRect);
  AddLabel(this, "&Time out :", DialogRect(kLabelX, 100, 40, 12), timeout_);
  arrows_ = new UpDownControl(this, timeout_, editRect, 801);
  mode_ = new NotifyingComboBox([this] { OnModeNotified(); });
  AddRow(this, mode_, 705, "&Mode :", 120);
  baud_ = AddRow(this, new QComboBox, 706, "&Baudrate :", 140);
  QPushButton* ok = AddOkButton(*this, DialogRect(10, 173, 39, 14));
  AddCancelButton(*this, DialogRect(89, 173, 39, 14));
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });

  std::vector<int> bases;
  {
    std::scoped_lock lock(engine_.Lock());
    bases = PresentBases(engine_.Registry());
    sixChannelMode_ = engine_.SixChannelMode() != 0;
  }
  {
    // Filling is not a notification of the operator's.
    const QSignalBlocker idBlock(id_);
    const QSignalBlocker modeBlock(mode_);
    for (int b : bases) id_->addItem(QString::fromStdString(BaseText(b, true)));
    id_->setCurrentIndex(0);
    FillDigits(channel_, ChannelChoices(sixChannelMode_));
    FillDigits(group_, kGroupChoices);
    FillDigits(power_, kPowerChoices);
    for (const char* text : ModeTable) mode_->addItem(QString::fromLatin1(text));
    for (int i = 0; i < kBaudChoices; ++i) baud_->addItem(QString::fromLatin1(BaudTable[i].text));
  }
  group_->setEnabled(!sixChannelMode_);
  power_->setEnabled(!sixChannelMode_);
  arrows_->SetRange(kTimeoutLow, kTimeoutHigh);
  // The first control takes the focus, and its focus notification loads the
  // first base; loading here as well keeps a dialog that never gets the
  // focus (no window manager) the same.
  ReloadFromBase();
  id_->setFocus();
}

void BasePropertiesDialog::done(int result) {
  finished_ = true;
  QDialog::done(result);
}

void BasePropertiesDialog::ReloadFromBase() {
  if (finished_) return;
  const int base = BaseFromText(id_->currentText().toStdString());
  if (base == 0) return;
  ShownProperties shown;
  {
    std::scoped_lock lock(engine_.Lock());
    shown = ShowBase(engine_.Registry().properties[base], sixChannelMode_);
  }
  const QSignalBlocker modeBlock(mode_);
  channel_->setCurrentIndex(shown.choices.channel);
  group_->setCurrentIndex(shown.choices.group);
  power_->setCurrentIndex(shown.choices.power);
  mode_->setCurrentIndex(shown.choices.mode);
  baud_->setCurrentIndex(shown.choices.baud);
  arrows_->SetPosition(shown.timeout);
  mode_->setEnabled(shown.modeEnabled);
  baud_->setEnabled(shown.baudEnabled);
}

void BasePropertiesDialog::OnModeNotified() {
  if (finished_) return;
  baud_->setEnabled(BaudEnabledForModeRow(mode_->currentIndex()));
}

void BasePropertiesDialog::OnOk() {
  int timeout = 0;
  if (!ReadTimeoutBox(timeout_->text().toStdString(), timeout)) {
    QMessageBox::warning(this, QString::fromLatin1(kDialogCaption),
                         QString::fromLatin1(kTimeoutRangeText));
    timeout_->setFocus();
    timeout_->selectAll();
    return;
  }
  const int base = BaseFromText(id_->currentText().toStdString());
  if (base == 0) {
    reject();
    return;
  }
  PropertyChoices chosen;
  chosen.channel = channel_->currentIndex();
  chosen.group = group_->currentIndex();
  chosen.power = power_->currentIndex();
  chosen.mode = mode_->currentIndex();
  chosen.baud = baud_->currentIndex();
  int baudRow = -1;
  {
    std::scoped_lock lock(engine_.Lock());
    baudRow = SendPropertyChanges(engine_.Commands(), engine_.Outbound(), base,
                                  engine_.Registry().properties[base], chosen, timeout,
                                  engine_.SixChannelMode() != 0);
  }
  // The question is asked without the lock: the reader thread keeps
  // dispatching while the operator thinks.
  if (baudRow >= 0) {
    const auto answer = QMessageBox::warning(
        this, QString::fromLatin1(kDialogCaption), QString::fromLatin1(kBaudQuestionText),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer == QMessageBox::Ok) {
      std::scoped_lock lock(engine_.Lock());
      SendBaudChange(engine_.Commands(), engine_.Outbound(), engine_.Settings(),
                     engine_.Registry().properties[base], baudRow);
      reopenRequest_ = true;
    }
  }
  accept();
}

}  // namespace tessaro
