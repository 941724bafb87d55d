#include <gtest/gtest.h>

#include <QCheckBox>

#include "DialogRig.h"
#include "support/EngineTestAccess.h"
#include "ui/dialogs/ComPropertiesDialog.h"
#include "ui/dialogs/DialogCommands.h"

namespace tessaro {
namespace {

using namespace tessaro::testing;

TEST(ComPropertiesDialog, TemplateTextsListsAndLayout) {
  RecordingEngine rig;
  ComPortModel model(rig.engine, {});
  ComPropertiesDialog dialog(model, nullptr);
  EXPECT_EQ(dialog.windowTitle(), "COM Port Properties");
  EXPECT_EQ(dialog.size(), QSize(280, 438));
  struct Row {
    int id;
    const char* label;
    int y;
    QStringList items;
  };
  const Row rows[] = {
      {701, "&COM port :", 18, {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"}},
      {702, "&Baud rate :", 38, {"115200", "57600", "38400", "19200", "9600", "4800", "2400"}},
      {703, "&Data bits :", 58, {"7", "8"}},
      {704, "&Parity :", 78, {"None", "Even", "Odd"}},
      {705, "&Flow control :", 98, {"None", "Hardware", "Xon/Xoff"}},
  };
  for (const Row& row : rows) {
    auto* list = Control<QComboBox>(dialog, row.id);
    ASSERT_NE(list, nullptr) << row.id;
    EXPECT_FALSE(list->isEditable());
    EXPECT_EQ(Items(list), row.items) << row.id;
    EXPECT_EQ(list->geometry().topLeft(), QPoint(136, 2 * row.y)) << row.id;
    EXPECT_EQ(list->width(), 104);
    QLabel* label = LabelOf(dialog, list);
    ASSERT_NE(label, nullptr) << row.id;
    EXPECT_EQ(label->text(), row.label);
    EXPECT_EQ(label->geometry(), QRect(26, 2 * (row.y + 2), 96, 24));
    EXPECT_TRUE(label->alignment() & Qt::AlignRight);
  }
  // The network port box under the lists, its label above it.
  auto* network = Control<QLineEdit>(dialog, 707);
  ASSERT_NE(network, nullptr);
  EXPECT_EQ(network->geometry(), QRect(26, 258, 228, 24));
  EXPECT_EQ(LabelOf(dialog, network)->text(), "&Network port :");
  EXPECT_EQ(LabelOf(dialog, network)->geometry(), QRect(26, 236, 228, 20));
  auto* ok = Control<QPushButton>(dialog, 1);
  auto* cancel = Control<QPushButton>(dialog, 2);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->geometry(), QRect(20, 390, 80, 28));
  EXPECT_EQ(cancel->text(), "Cancel");
  EXPECT_EQ(cancel->geometry(), QRect(180, 390, 80, 28));
}

TEST(ComPropertiesDialog, OpensWithTheSettingsInForce) {
  RecordingEngine rig;
  EngineTestAccess::Settings(rig.engine) = PortSettings{3, 4, 0, 2, 1, 0};
  ComPortModel model(rig.engine, {});
  ComPropertiesDialog dialog(model, nullptr);
  EXPECT_EQ(Control<QComboBox>(dialog, 701)->currentText(), "COM4");
  EXPECT_EQ(Control<QComboBox>(dialog, 702)->currentText(), "9600");
  EXPECT_EQ(Control<QComboBox>(dialog, 703)->currentText(), "7");
  EXPECT_EQ(Control<QComboBox>(dialog, 704)->currentText(), "Odd");
  EXPECT_EQ(Control<QComboBox>(dialog, 705)->currentText(), "Hardware");
}

TEST(ComPropertiesDialog, OkStoresAndConfirmsCancelKeepsEverything) {
  RecordingEngine rig;
  {
    ComPortModel model(rig.engine, {});
    ComPropertiesDialog dialog(model, nullptr);
    for (int id = 701; id <= 705; ++id) Control<QComboBox>(dialog, id)->setCurrentIndex(1);
    ClickCancel(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  const PortSettings fresh;
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).portIndex, fresh.portIndex);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).baudIndex, fresh.baudIndex);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).dataBitsIndex, fresh.dataBitsIndex);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).parityIndex, fresh.parityIndex);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).flowIndex, fresh.flowIndex);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).settingsConfirmed, 0);
  {
    ComPortModel model(rig.engine, {});
    ComPropertiesDialog dialog(model, nullptr);
    ClickOk(dialog);  // untouched: only the confirmation changes
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).settingsConfirmed, 1);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).baudIndex, 0);
  {
    ComPortModel model(rig.engine, {});
    ComPropertiesDialog dialog(model, nullptr);
    Control<QComboBox>(dialog, 701)->setCurrentIndex(5);
    Control<QComboBox>(dialog, 702)->setCurrentIndex(6);
    Control<QComboBox>(dialog, 704)->setCurrentIndex(1);
    Control<QComboBox>(dialog, 705)->setCurrentIndex(2);
    ClickOk(dialog);
  }
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).portIndex, 5);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).baudIndex, 6);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).dataBitsIndex, 1);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).parityIndex, 1);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).flowIndex, 2);
}

// The machine's devices follow COM1..COM6; the reconnect box starts off.
TEST(ComPropertiesDialog, ChoosesADeviceOfTheMachineAndTheReconnect) {
  RecordingEngine rig;
  {
    ComPortModel model(rig.engine, {{"/dev/serial/by-id/usb-FTDI_A1-if00-port0", "ttyUSB0",
                                     "FTDI FT232R USB UART (0403:6001) A1"}});
    ComPropertiesDialog dialog(model, nullptr);
    auto* ports = Control<QComboBox>(dialog, 701);
    ASSERT_EQ(ports->count(), 7);
    EXPECT_EQ(ports->itemText(6), "ttyUSB0  FTDI FT232R USB UART (0403:6001) A1");
    auto* reconnect = Control<QCheckBox>(dialog, 706);
    ASSERT_NE(reconnect, nullptr);
    EXPECT_FALSE(reconnect->isChecked());
    ports->setCurrentIndex(6);
    reconnect->setChecked(true);
    ClickOk(dialog);
  }
  EXPECT_STREQ(EngineTestAccess::Settings(rig.engine).devicePath,
               "/dev/serial/by-id/usb-FTDI_A1-if00-port0");
  EXPECT_TRUE(rig.engine.AutoReconnect());
}

TEST(ComPropertiesDialog, RunsModallyFromTheCommand) {
  RecordingEngine rig;
  WhenOpen<ComPropertiesDialog>([](ComPropertiesDialog& dialog) {
    Control<QComboBox>(dialog, 702)->setCurrentIndex(4);
    ClickOk(dialog);
  });
  RunComPropertiesDlg(rig.engine, nullptr);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).baudIndex, 4);
  EXPECT_EQ(EngineTestAccess::Settings(rig.engine).settingsConfirmed, 1);
  EXPECT_TRUE(rig.sent.writes.empty());
}

}  // namespace
}  // namespace tessaro
