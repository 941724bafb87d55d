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

void SetUpDialogFrame(QDialog& dialog, const char* title, int width, int height) {
  dialog.setWindowTitle(QString::fromLatin1(title));
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  dialog.setModal(true);
  dialog.setFixedSize(2 * width, 2 * height);
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

QComboBox* AddDropList(QWidget* parent, QComboBox* combo, int id, int x, int y, int width) {
  combo->setParent(parent);
  combo->setObjectName(ControlName(id));
  combo->setEditable(false);
  combo->setFocusPolicy(Qt::StrongFocus);
  combo->setGeometry(DialogRect(x, y, width, kComboHeightDu));
  return combo;
}

QLineEdit* AddEdit(QWidget* parent, int id, const QRect& rect) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(ControlName(id));
  edit->setFrame(true);
  edit->setGeometry(rect);
  return edit;
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
