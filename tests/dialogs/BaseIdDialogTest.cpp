#include <gtest/gtest.h>

#include <QTest>

#include "DialogRig.h"
#include "ui/dialogs/BaseIdDialog.h"
#include "ui/dialogs/DialogCommands.h"
#include "ui/dialogs/UpDownControl.h"

namespace tessaro {
namespace {

using namespace tessaro::testing;

TEST(BaseIdDialog, TemplateTextsAndLayout) {
  RecordingEngine rig;
  rig.MakePresent({1, 12});
  BaseIdModel model(rig.engine);
  BaseIdDialog dialog(model, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Change Base Station's ID");
  EXPECT_EQ(dialog.size(), QSize(260, 192));
  auto* current = Control<QComboBox>(dialog, 701);
  auto* edit = Control<QLineEdit>(dialog, 601);
  auto* arrows = Control<UpDownControl>(dialog, 801);
  ASSERT_TRUE(current && edit && arrows);
  EXPECT_FALSE(current->isEditable());
  EXPECT_EQ(current->geometry().topLeft(), QPoint(140, 36));
  EXPECT_EQ(current->width(), 80);
  EXPECT_EQ(LabelOf(dialog, current)->text(), "&Current ID :");
  EXPECT_EQ(LabelOf(dialog, current)->geometry(), QRect(24, 40, 100, 24));
  EXPECT_EQ(LabelOf(dialog, edit)->text(), "&New ID :");
  // The arrows sit on the right end of the edit's rectangle (140, 76, 80, 28).
  EXPECT_EQ(edit->geometry().left(), 140);
  EXPECT_EQ(edit->geometry().top(), 76);
  EXPECT_EQ(edit->geometry().right() + 1, arrows->geometry().left());
  EXPECT_EQ(arrows->geometry().right(), 140 + 80 - 1);
  EXPECT_EQ(arrows->height(), 28);
  EXPECT_TRUE(Control<QPushButton>(dialog, 1)->isDefault());
  EXPECT_EQ(Control<QPushButton>(dialog, 1)->geometry(), QRect(20, 144, 80, 28));
  EXPECT_EQ(Control<QPushButton>(dialog, 2)->geometry(), QRect(160, 144, 80, 28));
}

TEST(BaseIdDialog, ListsPresentBasesWithoutLeadingZeroAndStartsAtOne) {
  RecordingEngine rig;
  rig.MakePresent({12, 1, 9});
  BaseIdModel model(rig.engine);
  BaseIdDialog dialog(model, nullptr);
  auto* current = Control<QComboBox>(dialog, 701);
  EXPECT_EQ(Items(current), QStringList({"1", "9", "12"}));
  EXPECT_EQ(current->currentIndex(), 0);
  EXPECT_EQ(Control<QLineEdit>(dialog, 601)->text(), "1");
}

TEST(BaseIdDialog, ArrowsAndArrowKeysHoldOneToSixteen) {
  RecordingEngine rig;
  rig.MakePresent({1});
  BaseIdModel model(rig.engine);
  BaseIdDialog dialog(model, nullptr);
  auto* edit = Control<QLineEdit>(dialog, 601);
  auto* down = Control<UpDownControl>(dialog, 801)->findChild<QToolButton*>("down");
  auto* up = Control<UpDownControl>(dialog, 801)->findChild<QToolButton*>("up");
  down->click();
  EXPECT_EQ(edit->text(), "1");
  for (int i = 0; i < 20; ++i) up->click();
  EXPECT_EQ(edit->text(), "16");
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->text(), "15");
  edit->setText("3");
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text(), "4");
}

TEST(BaseIdDialog, OkSendsTheChangeThenTheStatusPoll) {
  RecordingEngine rig;
  rig.MakePresent({1, 12});
  {
    BaseIdModel model(rig.engine);
    BaseIdDialog dialog(model, nullptr);
    Control<QLineEdit>(dialog, 601)->setText("5");
    ClickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(rig.sent.writes, (std::vector<std::string>{"@ID0105\r", "@BS\r"}));
  rig.sent.writes.clear();
  {
    BaseIdModel model(rig.engine);
    BaseIdDialog dialog(model, nullptr);
    Control<QComboBox>(dialog, 701)->setCurrentIndex(1);
    Control<QLineEdit>(dialog, 601)->setText("3");
    ClickOk(dialog);
  }
  EXPECT_EQ(rig.sent.All(), "@ID1203\r@BS\r");
  rig.sent.writes.clear();
  {
    BaseIdModel model(rig.engine);
    BaseIdDialog dialog(model, nullptr);
    Control<QLineEdit>(dialog, 601)->clear();
    ClickOk(dialog);
  }
  EXPECT_EQ(rig.sent.All(), "@ID0100\r@BS\r");
}

TEST(BaseIdDialog, NumberNoBaseCanTakeIsRefusedWithAMessage) {
  RecordingEngine rig;
  rig.MakePresent({2});
  BaseIdModel model(rig.engine);
  BaseIdDialog dialog(model, nullptr);
  dialog.show();
  auto* edit = Control<QLineEdit>(dialog, 601);
  for (const char* typed : {"17", "123"}) {
    edit->setText(QString::fromLatin1(typed));
    MessageBoxHand hand(QMessageBox::Ok);
    ClickOk(dialog);
    EXPECT_EQ(hand.answered, 1) << typed;
    EXPECT_EQ(hand.caption, "RF link");
    EXPECT_EQ(hand.text, "The new ID must be a number from 1 to 16.");
    EXPECT_EQ(hand.icon, QMessageBox::Warning);
    EXPECT_TRUE(dialog.isVisible());  // still open for a correction
  }
  EXPECT_TRUE(rig.sent.writes.empty());
  edit->setText("16");
  ClickOk(dialog);
  EXPECT_EQ(rig.sent.All(), "@ID0216\r@BS\r");
  EXPECT_FALSE(dialog.isVisible());
}

TEST(BaseIdDialog, CancelSendsNothing) {
  RecordingEngine rig;
  rig.MakePresent({4});
  WhenOpen<BaseIdDialog>([](BaseIdDialog& dialog) {
    Control<QLineEdit>(dialog, 601)->setText("7");
    ClickCancel(dialog);
  });
  RunBaseIdDlg(rig.engine, nullptr);
  EXPECT_TRUE(rig.sent.writes.empty());
  WhenOpen<BaseIdDialog>([](BaseIdDialog& dialog) { dialog.reject(); });  // Esc, close box
  RunBaseIdDlg(rig.engine, nullptr);
  EXPECT_TRUE(rig.sent.writes.empty());
}

}  // namespace
}  // namespace tessaro
