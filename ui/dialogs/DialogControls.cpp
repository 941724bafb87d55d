#include "ui/dialogs/DialogControls.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessaro {

QString ControlName(int id) {
  return QString::number(id);
}

void SetUpDialogFrame(QDialog& dialog, const DialogFrame& frame) {
  dialog.setWindowTitle(QString::fromLatin1(frame.title));
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  dialog.setModal(true);
  dialog.setFixedSize(DuToPixels(frame.width), DuToPixels(frame.height));
}

QGroupBox* AddGroupBox(QWidget* parent, const QRect& rect) {
  auto* box = new QGroupBox(parent);
  box->setGeometry(rect);
  return box;
}

QLabel* AddLabel(QWidget* parent, const char* text, const QRect& rect, QWidget* buddy) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setGeometry(rect);
  label->setBuddy(buddy);
  return label;
}

QComboBox* AddDropList(QWidget* parent, QComboBox* combo, const DialogField& field) {
  const DuRect& r = field.controlRect;
  combo->setParent(parent);
  combo->setObjectName(ControlName(field.id));
  combo->setEditable(false);
  combo->setFocusPolicy(Qt::StrongFocus);
  combo->setGeometry(DialogRect(r.x, r.y, r.width, kComboHeightDu));
  AddLabel(parent, field.label, DialogRect(field.labelRect), combo);
  return combo;
}

QLineEdit* AddEdit(QWidget* parent, const DialogField& field) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(ControlName(field.id));
  edit->setFrame(true);
  edit->setGeometry(DialogRect(field.controlRect));
  AddLabel(parent, field.label, DialogRect(field.labelRect), edit);
  return edit;
}

QPushButton* AddButtons(QDialog& dialog, const DialogButtons& buttons) {
  QPushButton* ok = AddOkButton(dialog, DialogRect(buttons.ok));
  AddCancelButton(dialog, DialogRect(buttons.cancel));
  return ok;
}

QPushButton* AddOkButton(QDialog& dialog, const QRect& rect) {
  auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
  button->setObjectName(ControlName(1));
  button->setGeometry(rect);
  button->setDefault(true);
  button->setAutoDefault(true);
  return button;
}

QPushButton* AddCancelButton(QDialog& dialog, const QRect& rect) {
  auto* button = new QPushButton(QStringLiteral("Cancel"), &dialog);
  button->setObjectName(ControlName(2));
  button->setGeometry(rect);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
  return button;
}

}  // namespace tessaro
