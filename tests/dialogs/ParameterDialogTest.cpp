#include <gtest/gtest.h>

#include <QTest>

#include "DialogRig.h"
#include "support/EngineTestAccess.h"
#include "ui/dialogs/DialogCommands.h"
#include "ui/dialogs/ParameterDialog.h"

namespace tessaro {
namespace {

using namespace tessaro::testing;

// Types into a box as the operator does: one change per key.
void Type(QLineEdit* box, const char* keys) {
  QTest::keyClicks(box, QString::fromLatin1(keys));
}

void Clear(QLineEdit* box) {
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
}

TEST(ParameterDialog, TemplateTextsAndLayout) {
  RecordingEngine rig;
  CriteriaModel model(rig.engine);
  ParameterDialog dialog(model, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Testing Criteria");
  EXPECT_EQ(dialog.size(), QSize(404, 234));
  const struct {
    int id;
    const char* label;
    QRect edit;
    QRect labelRect;
  } rows[] = {
      {601, "Data &length (1-300) :", QRect(272, 36, 88, 24), QRect(26, 40, 232, 24)},
      {602, "Number of &retransmits per packet :", QRect(272, 76, 88, 24), QRect(26, 80, 232, 24)},
      {603, "&Time out (0-99 sec) :", QRect(274, 116, 88, 24), QRect(28, 120, 232, 24)},
  };
  for (const auto& row : rows) {
    auto* edit = Control<QLineEdit>(dialog, row.id);
    ASSERT_NE(edit, nullptr) << row.id;
    EXPECT_EQ(edit->geometry(), row.edit) << row.id;
    QLabel* label = LabelOf(dialog, edit);
    ASSERT_NE(label, nullptr) << row.id;
    EXPECT_EQ(label->text(), row.label);
    EXPECT_EQ(label->geometry(), row.labelRect);
  }
  EXPECT_TRUE(Control<QPushButton>(dialog, 1)->isDefault());
  EXPECT_EQ(Control<QPushButton>(dialog, 1)->geometry(), QRect(20, 188, 96, 28));
  EXPECT_EQ(Control<QPushButton>(dialog, 2)->geometry(), QRect(288, 188, 96, 28));
}

TEST(ParameterDialog, OpensWithTheStoredCriteria) {
  RecordingEngine rig;
  CriteriaModel model(rig.engine);
  ParameterDialog dialog(model, nullptr);
  EXPECT_EQ(Control<QLineEdit>(dialog, 601)->text(), "15");
  EXPECT_EQ(Control<QLineEdit>(dialog, 602)->text(), "3");
  EXPECT_EQ(Control<QLineEdit>(dialog, 603)->text(), "2");
}

TEST(ParameterDialog, DataLengthAboveBoundGetsTheStoredValueBack) {
  RecordingEngine rig;
  CriteriaModel model(rig.engine);
  ParameterDialog dialog(model, nullptr);
  auto* box = Control<QLineEdit>(dialog, 601);
  Clear(box);
  EXPECT_EQ(box->text(), "");  // an empty box is left empty
  Type(box, "30");
  EXPECT_EQ(box->text(), "30");
  Type(box, "1");
  EXPECT_EQ(box->text(), "15");  // the stored value, not the 30 typed before
  Clear(box);
  Type(box, "300");
  EXPECT_EQ(box->text(), "300");
}

TEST(ParameterDialog, LettersAndMinusSignsAreRefusedInBothCheckedBoxes) {
  RecordingEngine rig;
  CriteriaModel model(rig.engine);
  ParameterDialog dialog(model, nullptr);
  auto* length = Control<QLineEdit>(dialog, 601);
  auto* timeout = Control<QLineEdit>(dialog, 603);
  Type(length, "a");
  EXPECT_EQ(length->text(), "15");
  Clear(length);
  Type(length, "-");
  EXPECT_EQ(length->text(), "15");
  Type(timeout, "x");
  EXPECT_EQ(timeout->text(), "2");
  Clear(timeout);
  Type(timeout, "99");
  EXPECT_EQ(timeout->text(), "99");
  Type(timeout, "0");
  EXPECT_EQ(timeout->text(), "2");
  // Box 602 is not checked.
  auto* retransmits = Control<QLineEdit>(dialog, 602);
  Type(retransmits, "abc");
  EXPECT_EQ(retransmits->text(), "3abc");
}

TEST(ParameterDialog, HugeNumbersAreRefusedAndNeverStoredNegative) {
  RecordingEngine rig;
  CriteriaModel model(rig.engine);
  ParameterDialog dialog(model, nullptr);
  auto* length = Control<QLineEdit>(dialog, 601);
  auto* timeout = Control<QLineEdit>(dialog, 603);
  // Pasted whole, as one change each.
  length->setText("2147483648");
  EXPECT_EQ(length->text(), "15");
  timeout->setText("4294967295");
  EXPECT_EQ(timeout->text(), "2");
  length->setText("99999999999");
  EXPECT_EQ(length->text(), "15");
  Control<QLineEdit>(dialog, 602)->setText("3000000000");
  ClickOk(dialog);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).dataLength, 15);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).retransmits, 0);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).timeoutSeconds, 2);
}

TEST(ParameterDialog, WritesBackWhatIsStoredNowAndOnlyOnce) {
  RecordingEngine rig;
  CriteriaModel model(rig.engine);
  ParameterDialog dialog(model, nullptr);
  auto* timeout = Control<QLineEdit>(dialog, 603);
  // A base reported its time-out while the dialog is open.
  rig.engine.Feed("@TO010007\r", 10);
  ASSERT_EQ(EngineTestAccess::Criteria(rig.engine).timeoutSeconds, 7);
  Type(timeout, "x");
  EXPECT_EQ(timeout->text(), "7");
  // A stored value the check itself would refuse is written back once, not
  // without end.
  EngineTestAccess::Criteria(rig.engine).dataLength = -5;
  auto* length = Control<QLineEdit>(dialog, 601);
  Type(length, "x");
  EXPECT_EQ(length->text(), "-5");
}

TEST(ParameterDialog, OkStoresUnsignedReadsEmptyAsZero) {
  RecordingEngine rig;
  CriteriaModel model(rig.engine);
  ParameterDialog dialog(model, nullptr);
  Clear(Control<QLineEdit>(dialog, 601));
  Clear(Control<QLineEdit>(dialog, 603));
  Control<QLineEdit>(dialog, 602)->setText("r5");
  ClickOk(dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).dataLength, 0);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).retransmits, 0);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).timeoutSeconds, 0);
}

TEST(ParameterDialog, CancelKeepsTheStoredValues) {
  RecordingEngine rig;
  WhenOpen<ParameterDialog>([](ParameterDialog& dialog) {
    Control<QLineEdit>(dialog, 601)->setText("120");
    Control<QLineEdit>(dialog, 602)->setText("9");
    Control<QLineEdit>(dialog, 603)->setText("30");
    ClickCancel(dialog);
  });
  RunParameterDlg(rig.engine, nullptr);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).dataLength, 15);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).retransmits, 3);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).timeoutSeconds, 2);
  WhenOpen<ParameterDialog>([](ParameterDialog& dialog) {
    Control<QLineEdit>(dialog, 601)->setText("120");
    ClickOk(dialog);
  });
  RunParameterDlg(rig.engine, nullptr);
  EXPECT_EQ(EngineTestAccess::Criteria(rig.engine).dataLength, 120);
}

}  // namespace
}  // namespace tessaro
