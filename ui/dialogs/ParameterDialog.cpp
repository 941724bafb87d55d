#include "ui/dialogs/ParameterDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "app/front/CriteriaModel.h"
#include "ui/dialogs/DialogControls.h"

namespace tessaro {

ParameterDialog::ParameterDialog(CriteriaModel& model, QWidget* owner)
    : QDialog(owner), model_(model) {
  SetUpDialogFrame(*this, CriteriaModel::kFrame);
  AddGroupBox(this, DialogRect(CriteriaModel::kButtons.group));
  for (int i = 0; i < CriteriaModel::kBoxes; ++i) {
    boxes_[i] = AddEdit(this, CriteriaModel::kFields[i]);
    const auto box = static_cast<CriteriaModel::Box>(i);
    boxes_[i]->setText(QString::fromStdString(model_.InitialText(box)));
    if (CriteriaModel::IsChecked(box)) {
      connect(boxes_[i], &QLineEdit::textChanged, this, [this, i] { Check(i); });
    }
  }
  QPushButton* ok = AddButtons(*this, CriteriaModel::kButtons);
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
  boxes_[0]->setFocus();
}

void ParameterDialog::Check(int box) {
  std::string restore;
  if (model_.CheckChange(static_cast<CriteriaModel::Box>(box), boxes_[box]->text().toStdString(),
                         &restore)) {
    boxes_[box]->setText(QString::fromStdString(restore));
  }
}

void ParameterDialog::OnOk() {
  model_.Confirm(boxes_[0]->text().toStdString(), boxes_[1]->text().toStdString(),
                 boxes_[2]->text().toStdString());
  accept();
}

}  // namespace tessaro
