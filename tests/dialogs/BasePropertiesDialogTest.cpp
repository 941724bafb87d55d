#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QTest>

#include "DialogRig.h"
#include "support/EngineTestAccess.h"
#include "ui/dialogs/BasePropertiesDialog.h"
#include "ui/dialogs/DialogCommands.h"
#include "ui/dialogs/UpDownControl.h"

namespace tessaro {
namespace {

using namespace tessaro::testing;

void Report(RecordingEngine& rig, int base, char channel, char group, char power, char mode,
            int timeout, int baud) {
  std::scoped_lock lock(EngineTestAccess::Lock(rig.engine));
  EngineTestAccess::Registry(rig.engine).rows[base].present = 1;
  BaseProperties& p = rig.Properties(base);
  p.channel = channel;
  p.group = group;
  p.power = power;
  p.mode = mode;
  p.timeout = static_cast<std::uint8_t>(timeout);
  p.baudIndex = static_cast<std::uint8_t>(baud);
}

QComboBox* List(QWidget& dialog, int id) {
  return Control<QComboBox>(dialog, id);
}
QLineEdit* TimeoutBox(QWidget& dialog) {
  return Control<QLineEdit>(dialog, 601);
}

void SendFocus(QWidget* widget, QEvent::Type type) {
  QFocusEvent event(type, Qt::TabFocusReason);
  QApplication::sendEvent(widget, &event);
}

TEST(BasePropertiesDialog, TemplateTextsListsAndLayout) {
  RecordingEngine rig;
  Report(rig, 3, '1', '1', '1', '1', 2, 0);
  Report(rig, 1, '1', '1', '1', '1', 2, 0);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Base Station's Properties");
  EXPECT_EQ(dialog.size(), QSize(276, 394));
  const struct {
    int id;
    const char* label;
    int labelY;
    QStringList items;
  } rows[] = {
      {701, "&ID :", 20, {"01", "03"}},
      {702, "&Channel :", 40, {"1", "2", "3", "4"}},
      {703, "&Group :", 60, {"1", "2", "3"}},
      {704, "&Power :", 80, {"1", "2", "3", "4", "5"}},
      {705, "&Mode :", 120, {"stand alone", "slave", "master"}},
      {706, "&Baudrate :", 140, {"115200", "57600", "38400", "19200", "9600", "4800", "2400"}},
  };
  for (const auto& row : rows) {
    QComboBox* list = List(dialog, row.id);
    ASSERT_NE(list, nullptr) << row.id;
    EXPECT_FALSE(list->isEditable());
    EXPECT_EQ(Items(list), row.items) << row.id;
    EXPECT_EQ(list->geometry().topLeft(), QPoint(126, 2 * (row.labelY - 2))) << row.id;
    EXPECT_EQ(list->width(), 106);
    QLabel* label = LabelOf(dialog, list);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), row.label);
    EXPECT_EQ(label->geometry(), QRect(28, 2 * row.labelY, 80, 24));
  }
  QLineEdit* edit = TimeoutBox(dialog);
  EXPECT_EQ(LabelOf(dialog, edit)->text(), "&Time out :");
  EXPECT_EQ(edit->geometry().topLeft(), QPoint(126, 196));
  auto* arrows = Control<UpDownControl>(dialog, 801);
  EXPECT_EQ(arrows->geometry().right(), 126 + 106 - 1);
  EXPECT_EQ(arrows->Low(), 1);
  EXPECT_EQ(arrows->High(), 99);
  EXPECT_TRUE(Control<QPushButton>(dialog, 1)->isDefault());
  EXPECT_EQ(Control<QPushButton>(dialog, 1)->geometry(), QRect(20, 346, 78, 28));
  EXPECT_EQ(Control<QPushButton>(dialog, 2)->geometry(), QRect(178, 346, 78, 28));
}

TEST(BasePropertiesDialog, OpensOnTheFirstPresentBase) {
  RecordingEngine rig;
  Report(rig, 9, '1', '1', '1', '1', 40, 0);
  Report(rig, 2, '3', '2', '5', '3', 12, 4);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  EXPECT_EQ(List(dialog, 701)->currentText(), "02");
  EXPECT_EQ(List(dialog, 702)->currentText(), "3");
  EXPECT_EQ(List(dialog, 703)->currentText(), "2");
  EXPECT_EQ(List(dialog, 704)->currentText(), "5");
  EXPECT_EQ(List(dialog, 705)->currentText(), "master");
  EXPECT_EQ(List(dialog, 706)->currentText(), "9600");
  EXPECT_EQ(TimeoutBox(dialog)->text(), "12");
  EXPECT_TRUE(List(dialog, 705)->isEnabled());
  EXPECT_TRUE(List(dialog, 706)->isEnabled());
}

TEST(BasePropertiesDialog, OkWithoutTouchingAnythingSendsNothing) {
  RecordingEngine rig;
  Report(rig, 1, '2', '3', '4', '1', 5, 1);
  bool reopen = true;
  WhenOpen<BasePropertiesDialog>([](BasePropertiesDialog& dialog) { ClickOk(dialog); });
  reopen = RunBasePropertiesDlg(rig.engine, nullptr);
  EXPECT_FALSE(reopen);
  EXPECT_TRUE(rig.sent.writes.empty());
}

TEST(BasePropertiesDialog, EveryNotificationOfTheIdListReloadsAllControls) {
  RecordingEngine rig;
  Report(rig, 1, '1', '1', '1', '1', 2, 0);
  Report(rig, 2, '4', '3', '5', '3', 30, 3);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  QComboBox* id = List(dialog, 701);
  auto edit = [&] {
    List(dialog, 702)->setCurrentIndex(2);
    List(dialog, 706)->setCurrentIndex(5);
    TimeoutBox(dialog)->setText("77");
  };
  auto expectBase1 = [&](const char* when) {
    EXPECT_EQ(List(dialog, 702)->currentIndex(), 0) << when;
    EXPECT_EQ(List(dialog, 706)->currentIndex(), 0) << when;
    EXPECT_EQ(TimeoutBox(dialog)->text(), "2") << when;
  };
  edit();
  SendFocus(id, QEvent::FocusIn);
  expectBase1("focus in");
  edit();
  SendFocus(id, QEvent::FocusOut);
  expectBase1("focus out");
  edit();
  id->showPopup();
  expectBase1("list opened");
  edit();
  id->hidePopup();
  expectBase1("list closed");
  id->setCurrentIndex(1);  // a new selection
  EXPECT_EQ(List(dialog, 702)->currentText(), "4");
  EXPECT_EQ(List(dialog, 703)->currentText(), "3");
  EXPECT_EQ(List(dialog, 704)->currentText(), "5");
  EXPECT_EQ(List(dialog, 705)->currentText(), "master");
  EXPECT_EQ(List(dialog, 706)->currentText(), "19200");
  EXPECT_EQ(TimeoutBox(dialog)->text(), "30");
  // Values reported while the dialog is open show at the next notification.
  Report(rig, 2, '2', '3', '5', '3', 31, 3);
  SendFocus(id, QEvent::FocusIn);
  EXPECT_EQ(List(dialog, 702)->currentText(), "2");
  EXPECT_EQ(TimeoutBox(dialog)->text(), "31");
}

TEST(BasePropertiesDialog, ChoosingSlaveDisablesTheBaudAndAStoredSlaveLocksBoth) {
  RecordingEngine rig;
  Report(rig, 1, '1', '1', '1', '1', 2, 0);
  Report(rig, 5, '1', '1', '1', '2', 2, 0);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  QComboBox* mode = List(dialog, 705);
  QComboBox* baud = List(dialog, 706);
  mode->setCurrentIndex(1);
  EXPECT_FALSE(baud->isEnabled());
  mode->setCurrentIndex(2);
  EXPECT_TRUE(baud->isEnabled());
  mode->setCurrentIndex(1);
  SendFocus(mode, QEvent::FocusOut);
  EXPECT_FALSE(baud->isEnabled());
  List(dialog, 701)->setCurrentIndex(1);  // base 05, stored slave
  EXPECT_FALSE(mode->isEnabled());
  EXPECT_FALSE(baud->isEnabled());
  EXPECT_EQ(mode->currentText(), "slave");
  List(dialog, 701)->setCurrentIndex(0);
  EXPECT_TRUE(mode->isEnabled());
  EXPECT_TRUE(baud->isEnabled());
}

TEST(BasePropertiesDialog, SlaveBaseSendsNoSpeedChange) {
  RecordingEngine rig;
  Report(rig, 5, '1', '1', '1', '2', 2, 0);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  List(dialog, 706)->setCurrentIndex(4);  // disabled, but set anyway
  List(dialog, 702)->setCurrentIndex(1);
  MessageBoxHand hand(QMessageBox::Ok);
  ClickOk(dialog);
  EXPECT_EQ(hand.answered, 0);
  EXPECT_EQ(rig.sent.All(), "@CH052\r");
  EXPECT_FALSE(model.ReopenRequest());
}

TEST(BasePropertiesDialog, SixChannelModeShowsSixChannelsAndNeverSendsGroupOrPower) {
  RecordingEngine rig;
  rig.engine.Feed("1", 1);  // the lone "1" between messages
  ASSERT_NE(rig.engine.SixChannelMode(), 0);
  Report(rig, 1, '6', '1', '1', '1', 2, 0);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  EXPECT_EQ(Items(List(dialog, 702)), QStringList({"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(List(dialog, 702)->currentText(), "6");
  EXPECT_FALSE(List(dialog, 703)->isEnabled());
  EXPECT_FALSE(List(dialog, 704)->isEnabled());
  SendFocus(List(dialog, 701), QEvent::FocusIn);
  EXPECT_FALSE(List(dialog, 703)->isEnabled());
  List(dialog, 702)->setCurrentIndex(4);
  List(dialog, 703)->setCurrentIndex(2);
  List(dialog, 704)->setCurrentIndex(3);
  ClickOk(dialog);
  EXPECT_EQ(rig.sent.All(), "@CH015\r");
}

TEST(BasePropertiesDialog, EmptyListsAndTimeoutGoOutAsQueries) {
  RecordingEngine rig;
  rig.MakePresent({1});
  rig.Properties(1).timeout = 4;  // channel and mode not reported yet
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  EXPECT_EQ(List(dialog, 702)->currentIndex(), -1);
  EXPECT_EQ(List(dialog, 705)->currentIndex(), -1);
  TimeoutBox(dialog)->clear();
  ClickOk(dialog);
  EXPECT_EQ(rig.sent.writes, (std::vector<std::string>{"@CH010\r", "@TO0100\r", "@ME010\r"}));
}

TEST(BasePropertiesDialog, ChangedPropertiesAndConfirmedBaudGoOutInOrder) {
  RecordingEngine rig;
  Report(rig, 1, '1', '1', '1', '1', 2, 0);
  Report(rig, 2, '1', '1', '1', '1', 2, 0);
  MessageBoxHand hand(QMessageBox::Ok);
  WhenOpen<BasePropertiesDialog>([](BasePropertiesDialog& dialog) {
    List(dialog, 701)->setCurrentIndex(1);
    List(dialog, 706)->setCurrentIndex(4);
    List(dialog, 705)->setCurrentIndex(2);
    TimeoutBox(dialog)->setText("5");
    List(dialog, 704)->setCurrentIndex(4);
    List(dialog, 703)->setCurrentIndex(1);
    List(dialog, 702)->setCurrentIndex(3);
    ClickOk(dialog);
  });
  EXPECT_TRUE(RunBasePropertiesDlg(rig.engine, nullptr));
  EXPECT_EQ(hand.answered, 1);
  EXPECT_EQ(hand.caption, "RF link");
  EXPECT_EQ(hand.text,
            "Baudrate is changed, the COM port has\nto be closed and reopened.\n\nAre you sure to "
            "go on this process?");
  EXPECT_EQ(hand.icon, QMessageBox::Warning);
  EXPECT_EQ(hand.buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(rig.sent.writes, (std::vector<std::string>{"@CH024\r", "@GP022\r", "@PW025\r",
                                                       "@TO0205\r", "@ME023\r", "@SP9600\r"}));
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).baudIndex, 4);
  EXPECT_EQ(rig.Properties(2).baudIndex, 4);
  EXPECT_EQ(rig.Properties(1).baudIndex, 0);
  // The other properties wait for the base's answers.
  EXPECT_EQ(rig.Properties(2).channel, '1');
  EXPECT_EQ(rig.Properties(2).timeout, 2);
}

TEST(BasePropertiesDialog, CancelledBaudQuestionStillSendsTheRest) {
  RecordingEngine rig;
  Report(rig, 1, '1', '1', '1', '1', 2, 0);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  List(dialog, 706)->setCurrentIndex(0 + 4);
  List(dialog, 702)->setCurrentIndex(1);
  MessageBoxHand hand(QMessageBox::Cancel);
  ClickOk(dialog);
  EXPECT_EQ(hand.answered, 1);
  EXPECT_EQ(rig.sent.All(), "@CH012\r");
  EXPECT_FALSE(model.ReopenRequest());
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).baudIndex, 0);
  EXPECT_EQ(rig.Properties(1).baudIndex, 0);
}

TEST(BasePropertiesDialog, TimeoutAboveNinetyNineIsRefusedBeforeAnythingIsSent) {
  RecordingEngine rig;
  Report(rig, 1, '1', '1', '1', '1', 2, 0);
  BasePropertiesModel model(rig.engine);
  BasePropertiesDialog dialog(model, nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  // The operator moves to the channel list (the ID list loses the focus and
  // reloads), changes it, then types the time-out.
  List(dialog, 702)->setFocus();
  List(dialog, 702)->setCurrentIndex(2);
  TimeoutBox(dialog)->setFocus();
  TimeoutBox(dialog)->setText("150");
  {
    MessageBoxHand hand(QMessageBox::Ok);
    ClickOk(dialog);
    EXPECT_EQ(hand.answered, 1);
    EXPECT_EQ(hand.caption, "RF link");
    EXPECT_EQ(hand.text, "The time out must be a number from 0 to 99.");
  }
  EXPECT_TRUE(rig.sent.writes.empty());
  EXPECT_TRUE(dialog.isVisible());
  TimeoutBox(dialog)->setText("99");
  ClickOk(dialog);
  EXPECT_EQ(rig.sent.All(), "@CH013\r@TO0199\r");
}

TEST(BasePropertiesDialog, CancelSendsAndStoresNothing) {
  RecordingEngine rig;
  Report(rig, 1, '1', '1', '1', '1', 2, 0);
  WhenOpen<BasePropertiesDialog>([](BasePropertiesDialog& dialog) {
    List(dialog, 706)->setCurrentIndex(4);
    List(dialog, 702)->setCurrentIndex(1);
    ClickCancel(dialog);
  });
  EXPECT_FALSE(RunBasePropertiesDlg(rig.engine, nullptr));
  EXPECT_TRUE(rig.sent.writes.empty());
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).baudIndex, 0);
}

}  // namespace
}  // namespace tessaro
