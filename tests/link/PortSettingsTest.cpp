#include <gtest/gtest.h>

#include <string>

#include "link/PortSettings.h"

namespace tessaro {
namespace {

TEST(ApplyPortSettings, DefaultsGive115200EightNoneOneAndNoFlow) {
  PortSettings s;
  LineSettings line;
  ApplyPortSettings(s, line);
  EXPECT_EQ(line.baudRate, 115200u);
  EXPECT_EQ(line.byteSize, 8);
  EXPECT_EQ(line.parity, kNoParity);
  EXPECT_EQ(line.stopBits, kOneStopBit);
  EXPECT_EQ(line.flags, 0u);
  EXPECT_EQ(line.DtrControl(), kDtrControlDisable);
}

TEST(ApplyPortSettings, ParityRowsCrossToPlatformValues) {
  PortSettings s;
  LineSettings line;
  s.parityIndex = 1;
  ApplyPortSettings(s, line);
  EXPECT_EQ(line.parity, 2);
  s.parityIndex = 2;
  ApplyPortSettings(s, line);
  EXPECT_EQ(line.parity, 1);
  s.dataBitsIndex = 0;
  s.baudIndex = 7;
  ApplyPortSettings(s, line);
  EXPECT_EQ(line.byteSize, 7);
  EXPECT_EQ(line.baudRate, 1200u);
}

TEST(ApplyPortSettings, FlowControlIsStickyUntilNone) {
  PortSettings s;
  LineSettings line;
  s.flowIndex = 1;  // Hardware
  ApplyPortSettings(s, line);
  EXPECT_TRUE(line.OutxCtsFlow());
  EXPECT_EQ(line.RtsControl(), kRtsControlEnable);
  EXPECT_FALSE(line.OutX());
  EXPECT_EQ(line.flags, 0x1004u);

  s.flowIndex = 2;  // Xon/Xoff after Hardware keeps CTS flow and RTS on
  ApplyPortSettings(s, line);
  EXPECT_TRUE(line.OutxCtsFlow());
  EXPECT_EQ(line.RtsControl(), kRtsControlEnable);
  EXPECT_TRUE(line.OutX());
  EXPECT_FALSE(line.InX());
  EXPECT_EQ(line.xonChar, 0x11);
  EXPECT_EQ(line.xoffChar, 0x13);

  s.flowIndex = 0;  // None clears all three; Xon/Xoff characters stay
  ApplyPortSettings(s, line);
  EXPECT_EQ(line.flags & 0x3104u, 0u);
  EXPECT_EQ(line.xonChar, 0x11);
}

TEST(ApplyPortSettings, HardwareNeverUsesRtsHandshake) {
  PortSettings s;
  LineSettings line;
  line.SetRtsControl(kRtsControlHandshake);
  s.flowIndex = 1;
  ApplyPortSettings(s, line);
  EXPECT_EQ(line.RtsControl(), kRtsControlEnable);
}

TEST(FormatPortStatus, ShowsPortBaudAndFlow) {
  PortSettings s;
  char text[64];
  FormatPortStatus(s, text, sizeof text);
  EXPECT_STREQ(text, "COM1: 115200 bps, None");
  s.portIndex = 2;
  s.baudIndex = 4;
  s.flowIndex = 2;
  FormatPortStatus(s, text, sizeof text);
  EXPECT_STREQ(text, "COM3: 9600 bps, Xon/Xoff");
}

// The session and the download open the same port for the same index, and
// it is the port the status pane names (they used to differ above COM6).
TEST(PortName, HoldsAnIndexOutsideTheTableToItsNearestEnd) {
  const struct {
    int index;
    const char* name;
  } rows[] = {{-5, "COM1"}, {0, "COM1"}, {5, "COM6"}, {6, "COM6"}, {1000, "COM6"}};
  for (const auto& row : rows) {
    PortSettings s;
    s.portIndex = row.index;
    EXPECT_STREQ(PortName(s), row.name) << row.index;
    char text[64];
    FormatPortStatus(s, text, sizeof text);
    EXPECT_EQ(std::string(text).rfind(std::string(row.name) + ":", 0), 0u) << text;
  }
}

TEST(PortTables, BaudListsOfferSevenRows) {
  EXPECT_EQ(kBaudChoices, 7);
  EXPECT_STREQ(BaudTable[kBaudChoices - 1].text, "2400");
}

}  // namespace
}  // namespace tessaro
