#include "link/PortDescription.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

// What the device manager says of a port, as the port list describes it:
// USB ids and serial numbers dug out of the ids Windows writes, the generic
// driver's maker and a made-up instance id left out.
TEST(DescribePortDevice, FromWhatTheDeviceManagerKnows) {
  struct Case {
    const char* why;
    PortDeviceFacts facts;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"an FTDI adapter behind its bus driver: the serial number is the parent's",
       {"USB Serial Port (COM7)",
        "FTDI",
        "FT232R USB UART",
        "FTDIBUS\\COMPORT&VID_0403&PID_6001",
        {"FTDIBUS\\VID_0403+PID_6001+A12345A\\0000", "USB\\VID_0403&PID_6001\\A12345"}},
       "COM7",
       "USB Serial Port: FTDI FT232R USB UART (0403:6001) A12345"},
      {"a CDC device of a composite one: the interface's id is made up, its parent's is not",
       {"USB Serial Device (com12)",
        "Microsoft",
        "USB Serial Device",
        "USB\\VID_2341&PID_0043&REV_0001&MI_00",
        {"USB\\VID_2341&PID_0043&MI_00\\6&3A1B2C&0&0000", "USB\\VID_2341&PID_0043\\8573531"}},
       "COM12",
       "USB Serial Device: Microsoft (2341:0043) 8573531"},
      {"an adapter without a serial number",
       {"Prolific USB-to-Serial Comm Port (COM3)",
        "Prolific",
        "",
        "USB\\Vid_067b&Pid_2303&Rev_0300",
        {"USB\\VID_067B&PID_2303\\5&1F2E3D4C&0&2"}},
       "COM3",
       "Prolific USB-to-Serial Comm Port: Prolific (067b:2303)"},
      {"a port on the board",
       {"Communications Port (COM1)",
        "(Standard port types)",
        "",
        "ACPI\\PNP0501",
        {"ACPI\\PNP0501\\0"}},
       "COM1",
       "Communications Port"},
      {"a friendly name that does not end in the port's name, ids that are no hex",
       {"Modem port", "", "", "USB\\VID_12G4&PID_0001", {}},
       "COM9",
       "Modem port"},
      {"nothing known", {}, "COM4", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(DescribePortDevice(c.facts, c.name), c.expected);
  }
}

}  // namespace
}  // namespace tessaro
