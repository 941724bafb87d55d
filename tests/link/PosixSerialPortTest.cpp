// The termios serial port against real pseudo-terminals: the test plays the
// far end on the master side.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "link/PortSettings.h"
#include "link/PosixSerialPort.h"
#include "support/PtyPair.h"

namespace tessaro {
namespace {

using testing::PtyPair;

LineSettings Line(const PortSettings& settings) {
  LineSettings line;
  ApplyPortSettings(settings, line);
  return line;
}

termios ReadBack(const PosixSerialPort& port) {
  termios t{};
  EXPECT_EQ(tcgetattr(port.NativeHandle(), &t), 0);
  return t;
}

// Reads from the port until `count` bytes came or a generous deadline passed.
std::string ReadFromPort(PosixSerialPort& port, std::size_t count) {
  std::string got;
  char buffer[100];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
    if (port.WaitReadable(100) != WaitResult::Readable) continue;
    const long n = port.Read(buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

class PosixSerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.Ok()); }
  PtyPair pty;
  PosixSerialPort port;
};

// --- Open -------------------------------------------------------------------

TEST_F(PosixSerialPortTest, OpensByPathOrByComNameFromTheEnvironment) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_FALSE(port.HasModemLines());  // a pty has none
  port.Close();
  EXPECT_FALSE(port.IsOpen());

  setenv("TESSARO_COM4", pty.SlavePath().c_str(), 1);
  ASSERT_TRUE(port.Open("COM4"));
  port.Close();
  unsetenv("TESSARO_COM4");
}

TEST_F(PosixSerialPortTest, RefusesWhatIsNoTerminal) {
  EXPECT_FALSE(port.Open("/nonexistent/ttyS9"));
  // The refusal keeps the system's reason.
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NotFound);
  EXPECT_EQ(port.LastError().code, ENOENT);
  EXPECT_STREQ(port.LastError().text, std::strerror(ENOENT));
  EXPECT_FALSE(port.Open("/dev/null"));
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NotSerial);
  char file[] = "/tmp/tessaro-not-a-tty-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(port.Open(file));
  close(fd);
  unlink(file);
  EXPECT_FALSE(port.IsOpen());
  // A refused open leaves the object ready for the next.
  EXPECT_TRUE(port.Open(pty.SlavePath().c_str()));
}

TEST_F(PosixSerialPortTest, IsExclusiveAgainstOtherHoldersAndFreeAfterClose) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  PosixSerialPort second;
  EXPECT_FALSE(second.Open(pty.SlavePath().c_str()));
  // A second open of an open port object is refused as well and keeps it.
  EXPECT_FALSE(port.Open(pty.SlavePath().c_str()));
  EXPECT_TRUE(port.IsOpen());
  port.Close();
  EXPECT_TRUE(second.Open(pty.SlavePath().c_str()));
  second.Close();

  // Another program holding the device with a lock of its own.
  const int other = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(port.Open(pty.SlavePath().c_str()));
  EXPECT_EQ(port.LastError().kind, PortErrorKind::Busy);
  close(other);
  EXPECT_TRUE(port.Open(pty.SlavePath().c_str()));
}

TEST(PosixSerialPortStale, BytesSentBeforeTheOpenAreDiscardedAndTheLineIsRaw) {
  PtyPair cooked(false);  // a fresh pty: line editing, echo, CR to NL
  ASSERT_TRUE(cooked.Ok());
  ASSERT_TRUE(cooked.WriteAll("@BS0101\r@CH0104\r"));
  PosixSerialPort port;
  ASSERT_TRUE(port.Open(cooked.SlavePath().c_str()));
  ASSERT_TRUE(port.ApplyLineSettings(Line(PortSettings{})));
  port.PurgeInput();
  char buffer[100];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);

  // Raw: "\r" stays "\r", no line buffering, no echo back to the far end.
  ASSERT_TRUE(cooked.WriteAll("@OK\r"));
  EXPECT_EQ(ReadFromPort(port, 4), "@OK\r");
  ASSERT_EQ(port.Write("@AT\r", 4), 4);
  // The cooked line echoed the stale bytes to the far end before the open;
  // after it only what the port wrote arrives.
  std::string farEnd;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!farEnd.ends_with("@AT\r") && std::chrono::steady_clock::now() < deadline) {
    farEnd += cooked.Read(1, 100);
  }
  EXPECT_TRUE(farEnd.ends_with("@AT\r")) << farEnd;
  EXPECT_EQ(farEnd.find("@OK"), std::string::npos) << farEnd;
}

// --- Line settings, read back from the driver ---------------------------------

TEST_F(PosixSerialPortTest, DefaultsGiveARawLineAt115200EightNoneOneWithoutFlow) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  ASSERT_TRUE(port.ApplyLineSettings(Line(PortSettings{})));
  const termios t = ReadBack(port);
  EXPECT_EQ(cfgetospeed(&t), B115200);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_NE(t.c_cflag & CREAD, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INPCK | ISTRIP), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 1);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST_F(PosixSerialPortTest, EveryRateOfTheBaudTableTakesEffect) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  const speed_t expected[kBaudCount] = {B115200, B57600, B38400, B19200,
                                        B9600,   B4800,  B2400,  B1200};
  for (int row = 0; row < kBaudCount; ++row) {
    PortSettings settings;
    settings.baudIndex = row;
    ASSERT_TRUE(port.ApplyLineSettings(Line(settings))) << BaudTable[row].text;
    const termios t = ReadBack(port);
    EXPECT_EQ(cfgetospeed(&t), expected[row]) << BaudTable[row].text;
    EXPECT_EQ(cfgetispeed(&t), expected[row]) << BaudTable[row].text;
  }
}

TEST_F(PosixSerialPortTest, FlowControlChoicesMapToCtsFlowAndOutputXonXoff) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  LineSettings line;  // one record through the run, as the session keeps it
  PortSettings settings;

  settings.flowIndex = 1;  // Hardware; raising RTS is refused by a pty
  ApplyPortSettings(settings, line);
  ASSERT_TRUE(port.ApplyLineSettings(line));
  termios t = ReadBack(port);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t.c_iflag & IXON, 0u);

  settings.flowIndex = 2;  // Xon/Xoff after Hardware keeps both
  ApplyPortSettings(settings, line);
  ASSERT_TRUE(port.ApplyLineSettings(line));
  t = ReadBack(port);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  EXPECT_NE(t.c_iflag & IXON, 0u);
  EXPECT_EQ(t.c_iflag & IXOFF, 0u);  // input Xon/Xoff is never asked for
  EXPECT_EQ(t.c_cc[VSTART], 0x11);
  EXPECT_EQ(t.c_cc[VSTOP], 0x13);

  settings.flowIndex = 0;  // None clears both
  ApplyPortSettings(settings, line);
  ASSERT_TRUE(port.ApplyLineSettings(line));
  t = ReadBack(port);
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t.c_iflag & IXON, 0u);
}

TEST_F(PosixSerialPortTest, SevenBitsAndParityAreToleratedOnALineWithoutWires) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  PortSettings settings;
  settings.dataBitsIndex = 0;
  settings.parityIndex = 1;
  ASSERT_TRUE(port.ApplyLineSettings(Line(settings)));
  termios t = ReadBack(port);
  const bool sevenBits = (t.c_cflag & CSIZE) == CS7;
  const bool emulated = (t.c_cflag & CSIZE) == CS8 && (t.c_iflag & ISTRIP) != 0;
  EXPECT_TRUE(sevenBits || emulated);
  // Whichever way, a receiver of 7 data bits never delivers the eighth.
  ASSERT_TRUE(pty.WriteAll("\xC0\xC1\r"));
  EXPECT_EQ(ReadFromPort(port, 3), "@A\r");

  settings.dataBitsIndex = 1;
  ASSERT_TRUE(port.ApplyLineSettings(Line(settings)));
  t = ReadBack(port);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_iflag & ISTRIP, 0u);
  ASSERT_TRUE(pty.WriteAll("\xC1"));
  EXPECT_EQ(ReadFromPort(port, 1), "\xC1");
}

TEST_F(PosixSerialPortTest, SettingsNoLineCanCarryAreRefusedAndThePortStaysUsable) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  const LineSettings good = Line(PortSettings{});
  const termios before = ReadBack(port);
  LineSettings bad = good;
  bad.baudRate = 12345;
  EXPECT_FALSE(port.ApplyLineSettings(bad));
  bad = good;
  bad.byteSize = 6;
  EXPECT_FALSE(port.ApplyLineSettings(bad));
  bad = good;
  bad.parity = 3;  // mark
  EXPECT_FALSE(port.ApplyLineSettings(bad));
  bad = good;
  bad.stopBits = 1;  // one and a half
  EXPECT_FALSE(port.ApplyLineSettings(bad));

  EXPECT_TRUE(port.IsOpen());
  const termios kept = ReadBack(port);
  EXPECT_EQ(cfgetospeed(&kept), cfgetospeed(&before));
  EXPECT_EQ(kept.c_cflag, before.c_cflag);
  ASSERT_TRUE(port.ApplyLineSettings(good));
  ASSERT_TRUE(pty.WriteAll("@OK\r"));
  EXPECT_EQ(ReadFromPort(port, 4), "@OK\r");

  port.Close();
  EXPECT_FALSE(port.ApplyLineSettings(good));  // nothing to set
}

// --- Reading and writing without a session (as the download does) -------------

TEST_F(PosixSerialPortTest, StandaloneUseWithDtrAndRtsOn) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  LineSettings line = Line(PortSettings{});
  line.SetDtrControl(kDtrControlEnable);
  line.SetRtsControl(kRtsControlEnable);
  ASSERT_TRUE(port.ApplyLineSettings(line));  // the modem-line refusals are ignored

  char buffer[100];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);  // non-blocking, nothing queued

  ASSERT_EQ(port.Write("S00600004844521B\r\n", 18), 18);
  EXPECT_EQ(pty.Read(18), "S00600004844521B\r\n");

  ASSERT_TRUE(pty.WriteAll("stale"));
  ASSERT_EQ(port.WaitReadable(10000), WaitResult::Readable);
  port.PurgeInput();
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);

  ASSERT_TRUE(pty.WriteAll("ACK"));
  EXPECT_EQ(ReadFromPort(port, 3), "ACK");
  port.Close();
  EXPECT_EQ(port.Read(buffer, sizeof buffer), -1);
  EXPECT_EQ(port.Write("x", 1), -1);
}

TEST_F(PosixSerialPortTest, WaitEndsOnBytesOnWakeOrOnItsDeadline) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  ASSERT_TRUE(port.ApplyLineSettings(Line(PortSettings{})));
  EXPECT_EQ(port.WaitReadable(20), WaitResult::TimedOut);

  // A wake given before the wait is kept for it, and used up by it.
  port.Wake();
  EXPECT_EQ(port.WaitReadable(-1), WaitResult::Woken);
  EXPECT_EQ(port.WaitReadable(20), WaitResult::TimedOut);

  std::thread waker([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port.Wake();
  });
  EXPECT_EQ(port.WaitReadable(-1), WaitResult::Woken);
  waker.join();

  // A wake left over when the port closes does not end the next session's wait.
  port.Wake();
  port.Close();
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  EXPECT_EQ(port.WaitReadable(20), WaitResult::TimedOut);
  ASSERT_TRUE(pty.WriteAll("@"));
  EXPECT_EQ(port.WaitReadable(10000), WaitResult::Readable);
}

TEST_F(PosixSerialPortTest, WritesGiveUpWhenTheFarEndStopsReading) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  ASSERT_TRUE(port.ApplyLineSettings(Line(PortSettings{})));
  PortTimeouts quick;
  quick.writeMsPerByte = 0;
  quick.writeConstantMs = 20;
  port.SetQueuesAndTimeouts(quick);
  const std::string block(256, 'x');
  long last = 0;
  long total = 0;
  for (int i = 0; i < 100000; ++i) {  // far more than any pty buffers
    last = port.Write(block.data(), block.size());
    if (last < static_cast<long>(block.size())) break;
    total += last;
  }
  EXPECT_GE(last, 0);
  EXPECT_LT(last, static_cast<long>(block.size()));
  EXPECT_GT(total, 0);
  // Full: further writes return having written nothing.
  EXPECT_EQ(port.Write("@AT\r", 4), 0);

  // Once the far end reads again, writes go through.
  const std::string drained = pty.Read(static_cast<std::size_t>(total + last), 30000);
  EXPECT_EQ(drained.size(), static_cast<std::size_t>(total + last));
  EXPECT_EQ(port.Write("@AT\r", 4), 4);
  EXPECT_EQ(pty.Read(4), "@AT\r");
}

TEST_F(PosixSerialPortTest, OutputXoffHoldsWritesWithinTheirBoundUntilXon) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  PortSettings settings;
  settings.flowIndex = 2;
  ASSERT_TRUE(port.ApplyLineSettings(Line(settings)));
  ASSERT_TRUE(pty.WriteAll("\x13"));  // DC3: stop
  // The far end's DC3 takes effect once the line discipline has seen it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  long written = 1;
  std::size_t before = 0;
  while (written != 0 && std::chrono::steady_clock::now() < deadline) {
    written = port.Write("@", 1);
    if (written > 0) ++before;
  }
  ASSERT_EQ(written, 0);
  EXPECT_EQ(pty.Read(before), std::string(before, '@'));  // what went out before the stop

  ASSERT_TRUE(pty.WriteAll("\x11"));  // DC1: go on
  long sent = 0;
  while (sent == 0 && std::chrono::steady_clock::now() < deadline) sent = port.Write("@OK\r", 4);
  EXPECT_EQ(sent, 4);
  EXPECT_EQ(pty.Read(4), "@OK\r");
  char buffer[8];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);  // DC1 and DC3 are not data
}

// --- The far end going away ----------------------------------------------------

TEST_F(PosixSerialPortTest, AClosedFarEndReportsHungUpAndTheNextDeviceOpens) {
  ASSERT_TRUE(port.Open(pty.SlavePath().c_str()));
  ASSERT_TRUE(port.ApplyLineSettings(Line(PortSettings{})));
  pty.CloseMaster();
  EXPECT_EQ(port.WaitReadable(10000), WaitResult::HungUp);
  EXPECT_EQ(port.WaitReadable(10000), WaitResult::HungUp);
  char buffer[100];
  EXPECT_LE(port.Read(buffer, sizeof buffer), 0);
  EXPECT_EQ(port.Write("@AT\r", 4), -1);
  // A wake still comes first, so a reader can be stopped.
  port.Wake();
  EXPECT_EQ(port.WaitReadable(10000), WaitResult::Woken);
  port.Close();

  PtyPair back;
  ASSERT_TRUE(back.Ok());
  ASSERT_TRUE(port.Open(back.SlavePath().c_str()));
  ASSERT_TRUE(port.ApplyLineSettings(Line(PortSettings{})));
  ASSERT_TRUE(back.WriteAll("@BS\r"));
  EXPECT_EQ(ReadFromPort(port, 4), "@BS\r");
}

}  // namespace
}  // namespace tessaro
