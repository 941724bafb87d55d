#include "ui/dialogs/BasePropertiesDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/front/BasePropertiesModel.h"
#include "ui/dialogs/DialogControls.h"
#include "ui/dialogs/NotifyingComboBox.h"
#include "ui/dialogs/UpDownControl.h"

namespace tessaro {

namespace {

using Model = BasePropertiesModel;

}  // namespace

BasePropertiesDialog::BasePropertiesDialog(BasePropertiesModel& model, QWidget* owner)
    : QDialog(owner), model_(model) {
  SetUpDialogFrame(*this, Model::kFrame);
  AddGroupBox(this, DialogRect(Model::kButtons.group));
  // Tab order follows the form: the four upper lists, the time-out box, then
  // mode and baud.
  for (int i = 0; i < Model::kListCount; ++i) {
    const auto list = static_cast<Model::List>(i);
    if (list == Model::kMode) {
      timeout_ = AddEdit(this, Model::kTimeoutField);
      arrows_ = new UpDownControl(this, timeout_, DialogRect(Model::kTimeoutField.controlRect),
                                  Model::kArrowsId);
    }
    // The ID and mode lists act on their focus and selection notifications.
    QComboBox* combo = nullptr;
    if (list == Model::kId) {
      combo = new NotifyingComboBox([this] { ReloadFromBase(); });
    } else if (list == Model::kMode) {
      combo = new NotifyingComboBox([this] { OnModeNotified(); });
    } else {
      combo = new QComboBox;
    }
    lists_[i] = AddDropList(this, combo, Model::kListFields[i]);
  }
  QPushButton* ok = AddButtons(*this, Model::kButtons);
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });

  {
    // Filling is not a notification of the operator's.
    const QSignalBlocker idBlock(lists_[Model::kId]);
    const QSignalBlocker modeBlock(lists_[Model::kMode]);
    for (int i = 0; i < Model::kListCount; ++i) {
      for (const std::string& text : model_.ListTexts(static_cast<Model::List>(i))) {
        lists_[i]->addItem(QString::fromStdString(text));
      }
    }
    lists_[Model::kId]->setCurrentIndex(0);
  }
  lists_[Model::kGroup]->setEnabled(model_.GroupAndPowerEnabled());
  lists_[Model::kPower]->setEnabled(model_.GroupAndPowerEnabled());
  arrows_->SetRange(kTimeoutLow, kTimeoutHigh);
  // The first control takes the focus, and its focus notification loads the
  // first base; loading here as well keeps a dialog that never gets the
  // focus (no window manager) the same.
  ReloadFromBase();
  lists_[Model::kId]->setFocus();
}

void BasePropertiesDialog::done(int result) {
  finished_ = true;
  QDialog::done(result);
}

void BasePropertiesDialog::ReloadFromBase() {
  if (finished_) return;
  ShownProperties shown;
  if (!model_.Show(lists_[Model::kId]->currentText().toStdString(), &shown)) return;
  const QSignalBlocker modeBlock(lists_[Model::kMode]);
  lists_[Model::kChannel]->setCurrentIndex(shown.choices.channel);
  lists_[Model::kGroup]->setCurrentIndex(shown.choices.group);
  lists_[Model::kPower]->setCurrentIndex(shown.choices.power);
  lists_[Model::kMode]->setCurrentIndex(shown.choices.mode);
  lists_[Model::kBaud]->setCurrentIndex(shown.choices.baud);
  arrows_->SetPosition(shown.timeout);
  lists_[Model::kMode]->setEnabled(shown.modeEnabled);
  lists_[Model::kBaud]->setEnabled(shown.baudEnabled);
}

void BasePropertiesDialog::OnModeNotified() {
  if (finished_) return;
  lists_[Model::kBaud]->setEnabled(BaudEnabledForModeRow(lists_[Model::kMode]->currentIndex()));
}

void BasePropertiesDialog::OnOk() {
  PropertyChoices chosen;
  chosen.channel = lists_[Model::kChannel]->currentIndex();
  chosen.group = lists_[Model::kGroup]->currentIndex();
  chosen.power = lists_[Model::kPower]->currentIndex();
  chosen.mode = lists_[Model::kMode]->currentIndex();
  chosen.baud = lists_[Model::kBaud]->currentIndex();
  const char* refusal = nullptr;
  switch (model_.Confirm(lists_[Model::kId]->currentText().toStdString(), chosen,
                         timeout_->text().toStdString(), &refusal)) {
    case Model::Outcome::kRefused:
      QMessageBox::warning(this, QString::fromLatin1(kRfLinkCaption), QString::fromLatin1(refusal));
      timeout_->setFocus();
      timeout_->selectAll();
      return;
    case Model::Outcome::kCancelled:
      reject();
      return;
    case Model::Outcome::kAskBaud: {
      const auto answer = QMessageBox::warning(
          this, QString::fromLatin1(kRfLinkCaption), QString::fromLatin1(kBaudQuestionText),
          QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
      if (answer == QMessageBox::Ok) model_.ConfirmBaud();
      break;
    }
    case Model::Outcome::kDone:
      break;
  }
  accept();
}

}  // namespace tessaro
