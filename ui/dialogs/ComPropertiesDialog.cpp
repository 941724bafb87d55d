#include "ui/dialogs/ComPropertiesDialog.h"

#include <QComboBox>
#include <QPushButton>
#include <mutex>

#include "app/Engine.h"
#include "ui/dialogs/ComPropertiesLogic.h"
#include "ui/dialogs/DialogControls.h"

namespace tessaro {

namespace {

struct ListRow {
  int id;
  const char* label;
  int y;
};

constexpr ListRow kLists[5] = {{701, "&COM port :", 18},
                               {702, "&Baud rate :", 38},
                               {703, "&Data bits :", 58},
                               {704, "&Parity :", 78},
                               {705, "&Flow control :", 98}};

void Fill(QComboBox* list, const char* const* texts, int count, int selected) {
  for (int i = 0; i < count; ++i) list->addItem(QString::fromLatin1(texts[i]));
  list->setCurrentIndex(selected);
}

}  // namespace

ComPropertiesDialog::ComPropertiesDialog(Engine& engine, QWidget* owner)
    : QDialog(owner), engine_(engine) {
  SetUpDialogFrame(*this, "COM Port Properties", 140, 155);
  AddGroupBox(this, DialogRect(10, 6, 120, 114));
  for (int i = 0; i < 5; ++i) {
    lists_[i] = AddDropList(this, new QComboBox, kLists[i].id, 68, kLists[i].y, 52);
    AddLabel(this, kLists[i].label, DialogRect(13, kLists[i].y + 2, 48, 12), lists_[i]);
  }
  QPushButton* ok = AddOkButton(*this, DialogRect(10, 131, 40, 14));
  AddCancelButton(*this, DialogRect(90, 131, 40, 14));
  connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });

  ComChoices choices;
  {
    std::scoped_lock lock(engine_.Lock());
    choices = ChoicesFromSettings(engine_.Settings());
  }
  const char* baudTexts[kBaudChoices];
  for (int i = 0; i < kBaudChoices; ++i) baudTexts[i] = BaudTable[i].text;
  Fill(lists_[0], PortNameTable, kPortCount, choices.port);
  Fill(lists_[1], baudTexts, kBaudChoices, choices.baud);
  Fill(lists_[2], DataBitsTable, kDataBitsCount, choices.dataBits);
  Fill(lists_[3], ParityTable, kParityCount, choices.parity);
  Fill(lists_[4], FlowControlTable, kFlowCount, choices.flow);
  lists_[0]->setFocus();
}

void ComPropertiesDialog::OnOk() {
  ComChoices choices;
  choices.port = lists_[0]->currentIndex();
  choices.baud = lists_[1]->currentIndex();
  choices.dataBits = lists_[2]->currentIndex();
  choices.parity = lists_[3]->currentIndex();
  choices.flow = lists_[4]->currentIndex();
  {
    std::scoped_lock lock(engine_.Lock());
    ConfirmComChoices(engine_.Settings(), choices);
  }
  accept();
}

}  // namespace tessaro
