// The machine's serial devices, found in a device tree laid out in a
// temporary folder standing in for /sys and /dev.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "link/PortList.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

class FakeTree {
 public:
  FakeTree() {
    char pattern[] = "/tmp/tessaro-ports-XXXXXX";
    root_ = mkdtemp(pattern);
  }
  ~FakeTree() { fs::remove_all(root_); }
  const std::string& Root() const { return root_; }

  void File(const std::string& path, const std::string& text = "") {
    fs::create_directories(fs::path(root_ + path).parent_path());
    std::ofstream(root_ + path) << text << "\n";
  }
  void Dir(const std::string& path) { fs::create_directories(root_ + path); }
  // `target` absolute within the tree, or relative as it stands.
  void Link(const std::string& path, const std::string& target) {
    fs::create_directories(fs::path(root_ + path).parent_path());
    if (fs::is_symlink(root_ + path)) return;  // a second tty of one device
    fs::create_symlink(target[0] == '/' ? root_ + target : target, root_ + path);
  }
  // A tty under `device` (a directory of the tree) with `driver`, listed in
  // the tty class, with a node in /dev when `node`.
  void Tty(const std::string& name, const std::string& device, const std::string& driver,
           bool node = true) {
    Dir(device);
    if (!driver.empty()) Link(device + "/driver", "/sys/bus/drivers/" + driver);
    Dir("/sys/bus/drivers/" + driver);
    Dir(device + "/tty/" + name);
    Link(device + "/tty/" + name + "/device", device);
    Link("/sys/class/tty/" + name, device + "/tty/" + name);
    if (node) File("/dev/" + name);
  }

 private:
  std::string root_;
};

TEST(PortList, RealDevicesWithWhatIdentifiesThemInNameOrder) {
  FakeTree t;
  const std::string ftdi = "/sys/devices/pci0000:00/usb1/1-1";
  t.File(ftdi + "/idVendor", "0403");
  t.File(ftdi + "/idProduct", "6001");
  t.File(ftdi + "/manufacturer", "FTDI");
  t.File(ftdi + "/product", "FT232R USB UART");
  t.File(ftdi + "/serial", "A12345");
  t.Tty("ttyUSB0", ftdi + "/1-1:1.0/ttyUSB0", "ftdi_sio");
  t.Link("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0", "../../ttyUSB0");
  // Unplugged a moment ago: sysfs still lists it, the node is gone.
  t.Tty("ttyUSB1", ftdi + "/1-1:1.1/ttyUSB1", "ftdi_sio", false);
  const std::string acm = "/sys/devices/pci0000:00/usb1/1-2";
  t.File(acm + "/idVendor", "2341");
  t.File(acm + "/idProduct", "0043");
  t.File(acm + "/product", "Uno");
  t.Tty("ttyACM0", acm + "/1-2:1.0", "cdc_acm");
  // An on-board port announced by the firmware, an 8250 placeholder without
  // a UART, one with a UART, and a virtual console without a device.
  t.Tty("ttyS0", "/sys/devices/pnp0/00:05", "serial");
  t.Tty("ttyS1", "/sys/devices/platform/serial8250", "serial8250");
  t.File("/sys/devices/platform/serial8250/tty/ttyS1/type", "0");
  t.Tty("ttyS10", "/sys/devices/platform/serial8250", "serial8250");
  t.File("/sys/devices/platform/serial8250/tty/ttyS10/type", "4");
  t.Dir("/sys/devices/virtual/tty/tty0");
  t.Link("/sys/class/tty/tty0", "/sys/devices/virtual/tty/tty0");
  t.File("/dev/tty0");

  const std::vector<PortInfo> ports = ListSerialDevices(t.Root());
  std::vector<std::string> rows;
  for (const PortInfo& p : ports) rows.push_back(p.path + " | " + p.ListText());
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "/dev/ttyACM0 | ttyACM0  Uno (2341:0043)",
                      "/dev/ttyS0 | ttyS0",
                      "/dev/ttyS10 | ttyS10",
                      "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0 | ttyUSB0  "
                      "FTDI FT232R USB UART (0403:6001) A12345",
                  }));
}

TEST(PortList, AMachineWithoutTheTreeHasNone) {
  EXPECT_TRUE(ListSerialDevices("/nonexistent").empty());
}

}  // namespace
}  // namespace tessaro
