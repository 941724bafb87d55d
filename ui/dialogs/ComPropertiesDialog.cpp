#include "ui/dialogs/ComPropertiesDialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/front/ComPortModel.h"
#include "ui/dialogs/DialogControls.h"

namespace tessaro {

ComPropertiesDialog::ComPropertiesDialog(ComPortModel& model, QWidget* owner)
    : QDialog(owner), model_(model) {
  SetUpDialogFrame(*this, ComPortModel::kFrame);
  AddGroupBox(this, DialogRect(ComPortModel::kButtons.group));
  const ComChoices& initial = model_.Initial();
  const int selected[ComPortModel::kLists] = {initial.port, initial.baud, initial.dataBits,
                                              initial.parity, initial.flow};
  for (int i = 0; i < ComPortModel::kLists; ++i) {
    lists_[i] = AddDropList(this, new QComboBox, ComPortModel::kFields[i]);
    if (i == 0) {
      // The machine's devices after COM1..COM6; their names may be UTF-8.
      for (const std::string& text : model_.PortTexts()) {
        lists_[i]->addItem(QString::fromStdString(text));
      }
      lists_[i]->view()->setMinimumWidth(lists_[i]->view()->sizeHintForColumn(0));
      lists_[i]->setCurrentIndex(selected[i]);
      continue;
    }
    const char* const* texts = nullptr;
    const int count = ComPortModel::ListTexts(i, &texts);
    for (int k = 0; k < count; ++k) lists_[i]->addItem(QString::fromLatin1(texts[k]));
    lists_[i]->setCurrentIndex(selected[i]);
  }
  const DialogField& network = ComPortModel::kNetworkPort;
  networkPort_ = new QLineEdit(QString::fromStdString(initial.networkPort), this);
  networkPort_->setObjectName(ControlName(network.id));
  networkPort_->setGeometry(DialogRect(network.controlRect));
  AddLabel(this, network.label, DialogRect(network.labelRect), networkPort_)
      ->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  networkNote_ = new QLabel(this);
  networkNote_->setObjectName(ControlName(ComPortModel::kNetworkNote.id));
  networkNote_->setGeometry(DialogRect(ComPortModel::kNetworkNote.labelRect));
  networkNote_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  networkNote_->setWordWrap(true);
  const auto showNote = [this](const QString& text) {
    networkNote_->setText(QString::fromLatin1(ComPortModel::NetworkNote(text.toStdString())));
  };
  showNote(networkPort_->text());
  connect(networkPort_, &QLineEdit::textChanged, this, showNote);
  reconnect_ = new QCheckBox(QString::fromLatin1(ComPortModel::kReconnect.label), this);
  reconnect_->setObjectName(ControlName(ComPortModel::kReconnect.id));
  reconnect_->setGeometry(DialogRect(ComPortModel::kReconnect.labelRect));
  reconnect_->setChecked(initial.reconnect);
  QPushButton* ok = AddButtons(*this, ComPortModel::kButtons);
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
  lists_[0]->setFocus();
}

void ComPropertiesDialog::OnOk() {
  ComChoices choices;
  choices.port = lists_[0]->currentIndex();
  choices.baud = lists_[1]->currentIndex();
  choices.dataBits = lists_[2]->currentIndex();
  choices.parity = lists_[3]->currentIndex();
  choices.flow = lists_[4]->currentIndex();
  choices.reconnect = reconnect_->isChecked();
  choices.networkPort = networkPort_->text().toStdString();
  const char* refusal = nullptr;
  if (!model_.Confirm(choices, &refusal)) {
    QMessageBox::warning(this, QString::fromLatin1(kRfLinkCaption), QString::fromLatin1(refusal));
    networkPort_->setFocus();
    networkPort_->selectAll();
    return;
  }
  accept();
}

}  // namespace tessaro
