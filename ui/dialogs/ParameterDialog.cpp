#include "ui/dialogs/ParameterDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <mutex>

#include "app/Engine.h"
#include "ui/dialogs/DialogControls.h"
#include "ui/dialogs/DialogNumbers.h"
#include "ui/dialogs/ParameterLogic.h"

namespace tessaro {

namespace {

QString NumberQText(std::int32_t value) {
  return QString::fromStdString(NumberText(value));
}

}  // namespace

ParameterDialog::ParameterDialog(Engine& engine, QWidget* owner) : QDialog(owner), engine_(engine) {
  SetUpDialogFrame(*this, "Testing Criteria", 202, 117);
  AddGroupBox(this, DialogRect(10, 6, 182, 76));
  dataLength_ = AddEdit(this, 601, DialogRect(136, 18, 44, 12));
  AddLabel(this, "Data &length (1-300) :", DialogRect(13, 20, 116, 12), dataLength_);
  retransmits_ = AddEdit(this, 602, DialogRect(136, 38, 44, 12));
  AddLabel(this, "Number of &retransmits per packet :", DialogRect(13, 40, 116, 12), retransmits_);
  timeout_ = AddEdit(this, 603, DialogRect(137, 58, 44, 12));
  AddLabel(this, "&Time out (0-99 sec) :", DialogRect(14, 60, 116, 12), timeout_);
  QPushButton* ok = AddOkButton(*this, DialogRect(10, 94, 48, 14));
  AddCancelButton(*this, DialogRect(144, 94, 48, 14));
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });

  TestCriteria criteria;
  {
    std::scoped_lock lock(engine_.Lock());
    criteria = engine_.Criteria();
  }
  dataLength_->setText(NumberQText(criteria.dataLength));
  retransmits_->setText(NumberQText(criteria.retransmits));
  timeout_->setText(NumberQText(criteria.timeoutSeconds));
  connect(dataLength_, &QLineEdit::textChanged, this, [this] { Check(Box::kDataLength); });
  connect(timeout_, &QLineEdit::textChanged, this, [this] { Check(Box::kTimeout); });
  dataLength_->setFocus();
}

void ParameterDialog::Check(Box box) {
  if (restoring_) return;
  QLineEdit* edit = box == Box::kDataLength ? dataLength_ : timeout_;
  const std::uint32_t bound = box == Box::kDataLength ? kDataLengthBound : kTimeoutBound;
  if (!NeedsRestore(edit->text().toStdString(), bound)) return;
  // The value written back is the one stored now (an "@TO" reply may have
  // changed the time-out since the dialog opened), not the previous text.
  std::int32_t stored = 0;
  {
    std::scoped_lock lock(engine_.Lock());
    const TestCriteria& criteria = engine_.Criteria();
    stored = box == Box::kDataLength ? criteria.dataLength : criteria.timeoutSeconds;
  }
  restoring_ = true;
  edit->setText(NumberQText(stored));
  restoring_ = false;
}

void ParameterDialog::OnOk() {
  const std::string dataLength = dataLength_->text().toStdString();
  const std::string retransmits = retransmits_->text().toStdString();
  const std::string timeout = timeout_->text().toStdString();
  {
    std::scoped_lock lock(engine_.Lock());
    StoreCriteria(engine_.Criteria(), dataLength, retransmits, timeout);
  }
  accept();
}

}  // namespace tessaro
