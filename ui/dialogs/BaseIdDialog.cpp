#include "ui/dialogs/BaseIdDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/front/BaseIdModel.h"
#include "ui/dialogs/DialogControls.h"
#include "ui/dialogs/UpDownControl.h"

namespace tessaro {

BaseIdDialog::BaseIdDialog(BaseIdModel& model, QWidget* owner) : QDialog(owner), model_(model) {
  SetUpDialogFrame(*this, BaseIdModel::kFrame);
  AddGroupBox(this, DialogRect(BaseIdModel::kButtons.group));
  current_ = AddDropList(this, new QComboBox, BaseIdModel::kCurrent);
  newId_ = AddEdit(this, BaseIdModel::kNewId);
  arrows_ = new UpDownControl(this, newId_, DialogRect(BaseIdModel::kNewId.controlRect),
                              BaseIdModel::kArrowsId);
  QPushButton* ok = AddButtons(*this, BaseIdModel::kButtons);
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });

  for (const std::string& text : model_.CurrentIds()) {
    current_->addItem(QString::fromStdString(text));
  }
  current_->setCurrentIndex(0);
  arrows_->SetRange(kNewIdLow, kNewIdHigh);
  arrows_->SetPosition(BaseIdModel::kInitialNewId);
  current_->setFocus();
}

void BaseIdDialog::OnOk() {
  const char* refusal = nullptr;
  if (!model_.Confirm(current_->currentText().toStdString(), newId_->text().toStdString(),
                      &refusal)) {
    QMessageBox::warning(this, QString::fromLatin1(kRfLinkCaption), QString::fromLatin1(refusal));
    newId_->setFocus();
    newId_->selectAll();
    return;
  }
  accept();
}

}  // namespace tessaro
