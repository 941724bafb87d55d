#include "ui/dialogs/BaseIdDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <mutex>

#include "app/Engine.h"
#include "ui/dialogs/BaseIdLogic.h"
#include "ui/dialogs/BaseList.h"
#include "ui/dialogs/DialogControls.h"
#include "ui/dialogs/UpDownControl.h"

namespace tessaro {

BaseIdDialog::BaseIdDialog(Engine& engine, QWidget* owner) : QDialog(owner), engine_(engine) {
  SetUpDialogFrame(*this, "Change Base Station's ID", 130, 96);
  AddGroupBox(this, DialogRect(10, 6, 110, 56));
  current_ = AddDropList(this, new QComboBox, 701, 70, 18, 40);
  AddLabel(this, "&Current ID :", DialogRect(12, 20, 50, 12), current_);
  const QRect editRect = DialogRect(70, 38, 40, 14);
  newId_ = AddEdit(this, 601, editRect);
  AddLabel(this, "&New ID :", DialogRect(12, 40, 50, 12), newId_);
  arrows_ = new UpDownControl(this, newId_, editRect, 801);
  QPushButton* ok = AddOkButton(*this, DialogRect(10, 72, 40, 14));
  AddCancelButton(*this, DialogRect(80, 72, 40, 14));
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });

  // The list is read once: a base that comes or goes while the dialog is
  // open changes nothing in it.
  std::vector<int> bases;
  {
    std::scoped_lock lock(engine_.Lock());
    bases = PresentBases(engine_.Registry());
  }
  for (int b : bases) current_->addItem(QString::fromStdString(BaseText(b, false)));
  current_->setCurrentIndex(0);
  arrows_->SetRange(kNewIdLow, kNewIdHigh);
  arrows_->SetPosition(1);
  current_->setFocus();
}

void BaseIdDialog::OnOk() {
  const ChangeIdPlan plan =
      PlanChangeId(current_->currentText().toStdString(), newId_->text().toStdString());
  if (plan.verdict == ChangeIdVerdict::kNewIdOutOfRange) {
    QMessageBox::warning(this, QStringLiteral("RF link"), QString::fromLatin1(kNewIdRangeText));
    newId_->setFocus();
    newId_->selectAll();
    return;
  }
  if (plan.verdict == ChangeIdVerdict::kSend) {
    std::scoped_lock lock(engine_.Lock());
    SendChangeId(engine_.Commands(), engine_.Outbound(), plan);
  }
  accept();
}

}  // namespace tessaro
