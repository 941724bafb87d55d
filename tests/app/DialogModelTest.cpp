// The dialogs' decisions, without a display: number reading, the checks of
// the testing criteria, and the bytes the base dialogs send.

#include <gtest/gtest.h>

#include "app/Engine.h"
#include "app/NetworkPortChoice.h"
#include "app/front/BaseIdModel.h"
#include "app/front/BaseList.h"
#include "app/front/BasePropertiesModel.h"
#include "app/front/ComPortModel.h"
#include "app/front/CriteriaModel.h"
#include "app/front/DialogNumbers.h"
#include "support/Recorders.h"

namespace tessaro {
namespace {

using testing::RecordingPort;

TEST(ReadUnsignedText, ReadsDigitsBetweenBlanksOnly) {
  EXPECT_EQ(ReadUnsignedText("15").value, 15u);
  EXPECT_TRUE(ReadUnsignedText(" 15 ").isNumber);
  for (const char* text : {"", "   ", "1a", "a1", "-5", "+5", "1 5", "0x10"}) {
    EXPECT_FALSE(ReadUnsignedText(text).isNumber) << text;
    EXPECT_FALSE(ReadUnsignedText(text).tooLarge) << text;
    EXPECT_EQ(ReadUnsignedText(text).value, 0u) << text;
  }
}

TEST(ReadUnsignedText, TellsNumbersBeyondThirtyTwoBitsApart) {
  EXPECT_TRUE(ReadUnsignedText("4294967295").isNumber);
  EXPECT_EQ(ReadUnsignedText("4294967295").value, 4294967295u);
  for (const char* text : {"4294967296", "99999999999999999999999999"}) {
    const UnsignedText read = ReadUnsignedText(text);
    EXPECT_FALSE(read.isNumber) << text;
    EXPECT_TRUE(read.tooLarge) << text;
  }
}

TEST(StoredNumber, NeverNegative) {
  EXPECT_EQ(StoredNumber("2147483647"), 2147483647);
  EXPECT_EQ(StoredNumber("2147483648"), 0);
  EXPECT_EQ(StoredNumber("4294967295"), 0);
  EXPECT_EQ(StoredNumber(""), 0);
  EXPECT_EQ(StoredNumber("abc"), 0);
}

TEST(StepUpDown, HoldsTheRangeWithoutWrapping) {
  EXPECT_EQ(StepUpDown("1", 1, 1, 1, 16), 2);
  EXPECT_EQ(StepUpDown("16", 16, 1, 1, 16), 16);
  EXPECT_EQ(StepUpDown("1", 1, -1, 1, 16), 1);
  // A box that is empty, not a number or out of range steps from the last
  // position the arrows set.
  EXPECT_EQ(StepUpDown("", 7, 1, 1, 16), 8);
  EXPECT_EQ(StepUpDown("x", 7, -1, 1, 16), 6);
  EXPECT_EQ(StepUpDown("250", 99, 1, 1, 99), 99);
  EXPECT_EQ(StepUpDown("", 0, -1, 1, 99), 1);
}

TEST(ParameterCheck, RestoresTextsThatAreNotAcceptedNumbers) {
  EXPECT_FALSE(NeedsRestore("30", kDataLengthBound));
  EXPECT_FALSE(NeedsRestore("300", kDataLengthBound));
  EXPECT_TRUE(NeedsRestore("301", kDataLengthBound));
  EXPECT_FALSE(NeedsRestore("99", kTimeoutBound));
  EXPECT_TRUE(NeedsRestore("100", kTimeoutBound));
  for (const char* text : {"a", "-", "-1", "1x", " "}) {
    EXPECT_TRUE(NeedsRestore(text, kDataLengthBound)) << text;
  }
  EXPECT_FALSE(NeedsRestore("", kDataLengthBound));
  EXPECT_FALSE(NeedsRestore("", kTimeoutBound));
}

TEST(ParameterCheck, RefusesNumbersThatWouldTurnNegative) {
  for (const char* text : {"2147483648", "3000000000", "4294967295", "4294967296"}) {
    EXPECT_TRUE(NeedsRestore(text, kDataLengthBound)) << text;
    EXPECT_TRUE(NeedsRestore(text, kTimeoutBound)) << text;
  }
}

TEST(ParameterStore, EmptyAndForeignTextsStoreZero) {
  TestCriteria criteria;
  StoreCriteria(criteria, "", "abc", "");
  EXPECT_EQ(criteria.dataLength, 0);
  EXPECT_EQ(criteria.retransmits, 0);
  EXPECT_EQ(criteria.timeoutSeconds, 0);
  StoreCriteria(criteria, "300", "3000000000", "99");
  EXPECT_EQ(criteria.dataLength, 300);
  EXPECT_EQ(criteria.retransmits, 0);  // unchecked box: never stored negative
  EXPECT_EQ(criteria.timeoutSeconds, 99);
}

TEST(ComChoices, OpenAndConfirm) {
  PortSettings settings;
  settings.baudIndex = 7;  // 1200 is in the table but never offered
  ComChoices choices = ChoicesFromSettings(settings);
  EXPECT_EQ(choices.port, 0);
  EXPECT_EQ(choices.baud, -1);
  EXPECT_EQ(choices.dataBits, 1);
  choices.port = 2;
  choices.parity = 1;
  ConfirmComChoices(settings, choices);
  EXPECT_EQ(settings.settingsConfirmed, 1);
  EXPECT_EQ(settings.portIndex, 2);
  EXPECT_EQ(settings.parityIndex, 1);
  EXPECT_EQ(settings.baudIndex, 7);  // no selection: kept, never -1
}

// A device of the machine after COM1..COM6: chosen, shown again, named in
// the status bar; a COM row drops it; a device gone since opens unselected.
TEST(ComChoices, ADeviceAfterTheComPorts) {
  const std::vector<PortInfo> devices = {
      {"/dev/ttyACM0", "ttyACM0", "Uno (2341:0043)"},
      {"/dev/serial/by-id/usb-FTDI_A12345-if00-port0", "ttyUSB0", "FTDI (0403:6001) A12345"}};
  PortSettings settings;
  ComChoices choices = ChoicesFromSettings(settings, devices);
  choices.port = kPortCount + 1;
  ConfirmComChoices(settings, choices, devices);
  EXPECT_STREQ(PortNameOf(settings), "/dev/serial/by-id/usb-FTDI_A12345-if00-port0");
  char status[64];
  FormatPortStatus(settings, status, sizeof status);
  EXPECT_STREQ(status, "ttyUSB0: 115200 bps, None");
  EXPECT_EQ(ChoicesFromSettings(settings, devices).port, kPortCount + 1);
  EXPECT_EQ(ChoicesFromSettings(settings, {devices[0]}).port, -1);

  choices.port = 3;
  ConfirmComChoices(settings, choices, devices);
  EXPECT_STREQ(PortNameOf(settings), "COM4");
  EXPECT_EQ(ChoicesFromSettings(settings, devices).port, 3);
}

// A typed network port: chosen over the port row, shown as given (cut to the
// status bar's room), offered again; a text that names none changes nothing
// and says how to write one; a raw TCP port says it sets no line settings.
TEST(ComChoices, ATypedNetworkPort) {
  struct Case {
    const char* text;
    bool chosen;
    const char* note;  // a part of the row's note, "" for none
  };
  const Case cases[] = {
      {"rfc2217://serial-box:2000", true, ""},
      {"tcp://[::1]:4001", true, "cannot be set on a raw TCP port"},
      {"rfc2217://a-rather-long-host-name.example:2000", true, ""},
      {"serial-box:2000", false, "rfc2217://HOST:PORT"},
      {"tcp://serial-box", false, "rfc2217://HOST:PORT"},
      {"rfc2217://serial-box:70000", false, "rfc2217://HOST:PORT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PortSettings settings;
    ComChoices choices = ChoicesFromSettings(settings);
    choices.port = 2;
    choices.networkPort = c.text;
    ConfirmComChoices(settings, choices);
    EXPECT_STREQ(PortNameOf(settings), c.chosen ? c.text : "COM3");
    EXPECT_EQ(ChoicesFromSettings(settings).networkPort, c.chosen ? c.text : "");
    char status[64];
    FormatPortStatus(settings, status, sizeof status);
    EXPECT_EQ(std::string(status).rfind(std::string(c.text).substr(0, 20), 0) == 0, c.chosen)
        << status;
    if (c.note[0] == '\0') {
      EXPECT_STREQ(NetworkPortNote(c.text), "");
    } else {
      EXPECT_NE(std::string(NetworkPortNote(c.text)).find(c.note), std::string::npos);
    }
  }
}

// The dialog's model over an engine: a text that names no network port is
// refused with the note and changes nothing; blanks around a port do not
// count; emptying the box goes back to the COM row.  Windows' devices named
// COM1..COM6 describe their rows instead of coming twice.
TEST(ComPortModel, NetworkPortBoxAndDevicesNamedLikeTheRows) {
  testing::RecordingDisplay display;
  testing::ManualClock clock;
  testing::AbsentSerialPort port;
  Engine engine(display, clock, port);
  const std::vector<PortInfo> devices = {{"COM3", "COM3", "USB Serial Port: FTDI (0403:6001) A1"},
                                         {"COM12", "COM12", ""}};
  const auto confirm = [&](const std::string& typed, int row, const char** refusal) {
    ComPortModel model(engine, devices);
    ComChoices choices = model.Initial();
    choices.port = row;
    choices.networkPort = typed;
    return model.Confirm(choices, refusal);
  };
  const char* refusal = nullptr;
  EXPECT_FALSE(confirm("tcp://serial-box", 1, &refusal));
  EXPECT_STREQ(refusal, NetworkPortNote("tcp://serial-box"));
  EXPECT_EQ(engine.Settings().settingsConfirmed, 0);
  EXPECT_STREQ(PortNameOf(engine.Settings()), "COM1");

  EXPECT_TRUE(confirm(" rfc2217://serial-box:2000\t", 1, &refusal));
  EXPECT_STREQ(PortNameOf(engine.Settings()), "rfc2217://serial-box:2000");
  EXPECT_EQ(ComPortModel(engine, devices).Initial().networkPort, "rfc2217://serial-box:2000");
  EXPECT_TRUE(confirm("", -1, &refusal));
  EXPECT_STREQ(PortNameOf(engine.Settings()), "COM1");

  EXPECT_NE(std::string(ComPortModel::NetworkNote(" ")).find("tcp://HOST:PORT"), std::string::npos);
  const std::vector<std::string> texts = ComPortModel(engine, devices).PortTexts();
  const std::vector<std::string> expected = {
      "COM1", "COM2", "COM3  USB Serial Port: FTDI (0403:6001) A1", "COM4", "COM5",
      "COM6", "COM12"};
  EXPECT_EQ(texts, expected);
  EXPECT_TRUE(confirm("", kPortCount, &refusal));
  EXPECT_STREQ(PortNameOf(engine.Settings()), "COM12");
}

TEST(BaseList, PresentBasesAndTheirTexts) {
  StationRegistry registry;
  registry.rows[12].present = 1;
  registry.rows[1].present = 1;
  EXPECT_EQ(PresentBases(registry), (std::vector<int>{1, 12}));
  EXPECT_EQ(BaseText(1, false), "1");
  EXPECT_EQ(BaseText(1, true), "01");
  EXPECT_EQ(BaseText(12, true), "12");
  EXPECT_EQ(BaseFromText("01"), 1);
  EXPECT_EQ(BaseFromText("16"), 16);
  EXPECT_EQ(BaseFromText(""), 0);
  EXPECT_EQ(BaseFromText("17"), 0);
}

std::string ChangeIdBytes(std::string_view current, std::string_view typed) {
  testing::RecordingDisplay display;
  testing::ManualClock clock;
  testing::AbsentSerialPort port;
  RecordingPort sent;
  Engine engine(display, clock, port, &sent);
  BaseIdModel model(engine);
  const char* refusal = nullptr;
  model.Confirm(current, typed, &refusal);
  return sent.All();
}

TEST(ChangeId, SendsTheChangeThenTheStatusPoll) {
  EXPECT_EQ(ChangeIdBytes("12", "12"), "@ID1212\r@BS\r");
  EXPECT_EQ(ChangeIdBytes("3", "16"), "@ID0316\r@BS\r");
}

TEST(ChangeId, EmptyOrForeignNewNumberGoesOutAsTheQueryForm) {
  EXPECT_EQ(ChangeIdBytes("1", ""), "@ID0100\r@BS\r");
  EXPECT_EQ(ChangeIdBytes("1", "x7"), "@ID0100\r@BS\r");
  EXPECT_EQ(ChangeIdBytes("1", "0"), "@ID0100\r@BS\r");
}

TEST(ChangeId, NumbersNoBaseCanTakeAreRefusedUnsent) {
  for (const char* typed : {"17", "99", "100", "123", "4294967295", "99999999999"}) {
    EXPECT_EQ(PlanChangeId("1", typed).verdict, ChangeIdVerdict::kNewIdOutOfRange) << typed;
    EXPECT_EQ(ChangeIdBytes("1", typed), "") << typed;
  }
  EXPECT_EQ(PlanChangeId("", "5").verdict, ChangeIdVerdict::kNoCurrentBase);
  EXPECT_EQ(ChangeIdBytes("", "5"), "");
}

BaseProperties Reported(char channel, char group, char power, char mode, int timeout, int baud) {
  BaseProperties p;
  p.channel = channel;
  p.group = group;
  p.power = power;
  p.mode = mode;
  p.timeout = static_cast<std::uint8_t>(timeout);
  p.baudIndex = static_cast<std::uint8_t>(baud);
  return p;
}

TEST(ShowBase, ValuesOutsideTheirListsShowNoSelection) {
  BaseProperties fresh;  // as a registry reset leaves it
  fresh.group = '1';
  fresh.power = '1';
  ShownProperties shown = ShowBase(fresh, false);
  EXPECT_EQ(shown.choices.channel, -1);
  EXPECT_EQ(shown.choices.mode, -1);
  EXPECT_EQ(shown.choices.group, 0);
  EXPECT_EQ(shown.choices.power, 0);
  EXPECT_EQ(shown.choices.baud, 0);

  const BaseProperties five = Reported('5', '2', '3', '3', 7, 4);
  EXPECT_EQ(ShowBase(five, false).choices.channel, -1);
  shown = ShowBase(five, true);
  EXPECT_EQ(shown.choices.channel, 4);
  EXPECT_EQ(shown.choices.group, 1);
  EXPECT_EQ(shown.choices.power, 2);
  EXPECT_EQ(shown.choices.mode, 2);
  EXPECT_EQ(shown.choices.baud, 4);
  EXPECT_EQ(shown.timeout, 7);
  EXPECT_TRUE(shown.modeEnabled);
  EXPECT_TRUE(shown.baudEnabled);
}

TEST(ShowBase, SlaveLocksModeAndBaud) {
  const ShownProperties shown = ShowBase(Reported('1', '1', '1', '2', 2, 0), false);
  EXPECT_FALSE(shown.modeEnabled);
  EXPECT_FALSE(shown.baudEnabled);
  EXPECT_FALSE(BaudEnabledForModeRow(kSlaveModeRow));
  EXPECT_TRUE(BaudEnabledForModeRow(0));
  EXPECT_TRUE(BaudEnabledForModeRow(2));
  EXPECT_TRUE(BaudEnabledForModeRow(-1));
}

TEST(TimeoutBox, RefusesWhatTwoDigitsCannotCarry) {
  int seconds = -1;
  EXPECT_TRUE(ReadTimeoutBox("99", seconds));
  EXPECT_EQ(seconds, 99);
  EXPECT_TRUE(ReadTimeoutBox("", seconds));
  EXPECT_EQ(seconds, 0);
  EXPECT_TRUE(ReadTimeoutBox("abc", seconds));
  EXPECT_EQ(seconds, 0);
  EXPECT_FALSE(ReadTimeoutBox("100", seconds));
  EXPECT_FALSE(ReadTimeoutBox("4294967296", seconds));
}

struct PropertiesOk {
  std::string bytes;
  int baudRow;
};

PropertiesOk Ok(int base, const BaseProperties& stored, const PropertyChoices& chosen, int timeout,
                bool six) {
  CommandBuffer commands;
  RecordingPort port;
  const int row = SendPropertyChanges(commands, port, base, stored, chosen, timeout, six);
  return {port.All(), row};
}

PropertyChoices Choose(int channel, int group, int power, int mode, int baud) {
  PropertyChoices c;
  c.channel = channel;
  c.group = group;
  c.power = power;
  c.mode = mode;
  c.baud = baud;
  return c;
}

TEST(PropertyChanges, ChangedOnesGoOutInTheFixedOrder) {
  const BaseProperties stored = Reported('1', '1', '1', '1', 2, 0);
  const PropertiesOk ok = Ok(2, stored, Choose(3, 2, 4, 2, 4), 5, false);
  EXPECT_EQ(ok.bytes, "@CH024\r@GP023\r@PW025\r@TO0205\r@ME023\r");
  EXPECT_EQ(ok.baudRow, 4);
  EXPECT_EQ(Ok(14, stored, Choose(0, 0, 0, 0, 0), 5, false).bytes, "@TO1405\r");
}

TEST(PropertyChanges, EmptyListsAndEmptyTimeoutSendTheQueryForm) {
  BaseProperties fresh;  // channel and mode not reported yet
  fresh.group = '1';
  fresh.power = '1';
  fresh.timeout = 3;
  const PropertiesOk ok = Ok(1, fresh, ShowBase(fresh, false).choices, 0, false);
  EXPECT_EQ(ok.bytes, "@CH010\r@TO0100\r@ME010\r");
  // Channel 5 stored while the list has four entries: no selection, changed.
  EXPECT_EQ(Ok(1, Reported('5', '1', '1', '1', 2, 0), Choose(-1, 0, 0, 0, 0), 2, false).bytes,
            "@CH010\r");
}

TEST(PropertyChanges, StoredSlaveModeNeverAsksForTheBaud) {
  const BaseProperties slave = Reported('1', '1', '1', '2', 2, 0);
  EXPECT_EQ(Ok(1, slave, Choose(0, 0, 0, 1, 4), 2, false).baudRow, -1);
  // Choosing slave in the list does not stop a baud change of a base whose
  // stored mode is not slave.
  const PropertiesOk ok =
      Ok(1, Reported('1', '1', '1', '1', 2, 0), Choose(0, 0, 0, 1, 4), 2, false);
  EXPECT_EQ(ok.bytes, "@ME012\r");
  EXPECT_EQ(ok.baudRow, 4);
}

TEST(PropertyChanges, OnlyOfferedRowsNameARate) {
  const BaseProperties stored = Reported('1', '1', '1', '1', 2, 0);
  EXPECT_EQ(Ok(1, stored, Choose(0, 0, 0, 0, -1), 2, false).baudRow, -1);
  EXPECT_EQ(Ok(1, stored, Choose(0, 0, 0, 0, 7), 2, false).baudRow, -1);
  EXPECT_EQ(Ok(1, stored, Choose(0, 0, 0, 0, 6), 2, false).baudRow, 6);
}

TEST(BaudChange, SendsTheRateAndRecordsIt) {
  CommandBuffer commands;
  RecordingPort port;
  PortSettings settings;
  BaseProperties base = Reported('1', '1', '1', '1', 2, 0);
  SendBaudChange(commands, port, settings, base, 4);
  EXPECT_EQ(port.All(), "@SP9600\r");
  EXPECT_EQ(settings.baudIndex, 4);
  EXPECT_EQ(base.baudIndex, 4);
  SendBaudChange(commands, port, settings, base, 0);
  EXPECT_EQ(port.writes.back(), "@SP115200\r");
  EXPECT_EQ(port.writes.back().size(), 10u);
  SendBaudChange(commands, port, settings, base, 7);  // never offered: nothing happens
  EXPECT_EQ(port.writes.size(), 2u);
  EXPECT_EQ(settings.baudIndex, 0);
}

}  // namespace
}  // namespace tessaro
