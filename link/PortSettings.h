#pragma once

#include <cstdint>

namespace tessaro {

// The operator's choice of port and line settings: indices into the fixed
// tables below.  Starts at COM1, 115200, 8 data bits, no parity, no flow
// control; never stored.
struct PortSettings {
  std::int32_t portIndex = 0;
  std::int32_t baudIndex = 0;
  std::int32_t dataBitsIndex = 1;
  std::int32_t parityIndex = 0;
  std::int32_t flowIndex = 0;
  std::int32_t settingsConfirmed = 0;
  // A device of the machine chosen instead of COM1..COM6 (its path and its
  // short name for the status bar); empty: the port of portIndex.
  char devicePath[256] = {};
  char deviceName[32] = {};
};

inline constexpr int kPortCount = 6;
inline constexpr const char* PortNameTable[kPortCount] = {"COM1", "COM2", "COM3",
                                                          "COM4", "COM5", "COM6"};

inline constexpr int kBaudCount = 8;
// The selection lists offer rows 0..6 only; 1200 is never offered.
inline constexpr int kBaudChoices = 7;
struct BaudRow {
  const char* text;
  std::int32_t rate;
};
inline constexpr BaudRow BaudTable[kBaudCount] = {
    {"115200", 115200}, {"57600", 57600}, {"38400", 38400}, {"19200", 19200},
    {"9600", 9600},     {"4800", 4800},   {"2400", 2400},   {"1200", 1200}};

inline constexpr int kDataBitsCount = 2;
inline constexpr const char* DataBitsTable[kDataBitsCount] = {"7", "8"};
inline constexpr int kParityCount = 3;
inline constexpr const char* ParityTable[kParityCount] = {"None", "Even", "Odd"};

inline constexpr int kFlowCount = 3;
inline constexpr const char* FlowControlTable[kFlowCount] = {"None", "Hardware", "Xon/Xoff"};

// Platform parity values of the line-settings record.
inline constexpr std::uint8_t kNoParity = 0;
inline constexpr std::uint8_t kOddParity = 1;
inline constexpr std::uint8_t kEvenParity = 2;
inline constexpr std::uint8_t kOneStopBit = 0;

inline constexpr std::uint32_t kDtrControlDisable = 0;
inline constexpr std::uint32_t kDtrControlEnable = 1;
inline constexpr std::uint32_t kRtsControlDisable = 0;
inline constexpr std::uint32_t kRtsControlEnable = 1;
inline constexpr std::uint32_t kRtsControlHandshake = 2;

// The platform-neutral line-settings record.  It has the fields and the
// 32-bit flag word of the classic serial device-control block, so that the
// session's record behaves the same way from one open to the next: fields a
// flow-control choice does not name keep the value an earlier choice gave them.
struct LineSettings {
  // Bits of the flag word, lowest bit 0.
  static constexpr std::uint32_t kBinary = 1u << 0;
  static constexpr std::uint32_t kParityCheck = 1u << 1;
  static constexpr std::uint32_t kOutxCtsFlow = 1u << 2;
  static constexpr std::uint32_t kOutxDsrFlow = 1u << 3;
  static constexpr int kDtrControlShift = 4;  // two bits
  static constexpr std::uint32_t kDsrSensitivity = 1u << 6;
  static constexpr std::uint32_t kTxContinueOnXoff = 1u << 7;
  static constexpr std::uint32_t kOutX = 1u << 8;
  static constexpr std::uint32_t kInX = 1u << 9;
  static constexpr int kRtsControlShift = 12;  // two bits

  std::uint32_t baudRate = 0;
  std::uint32_t flags = 0;
  std::uint8_t byteSize = 0;
  std::uint8_t parity = 0;
  std::uint8_t stopBits = 0;
  char xonChar = 0;
  char xoffChar = 0;

  bool OutxCtsFlow() const { return (flags & kOutxCtsFlow) != 0; }
  bool OutX() const { return (flags & kOutX) != 0; }
  bool InX() const { return (flags & kInX) != 0; }
  std::uint32_t DtrControl() const { return (flags >> kDtrControlShift) & 3u; }
  std::uint32_t RtsControl() const { return (flags >> kRtsControlShift) & 3u; }
  void SetDtrControl(std::uint32_t v) {
    flags = (flags & ~(3u << kDtrControlShift)) | ((v & 3u) << kDtrControlShift);
  }
  void SetRtsControl(std::uint32_t v) {
    flags = (flags & ~(3u << kRtsControlShift)) | ((v & 3u) << kRtsControlShift);
  }
};

// The port name of `settings` (row portIndex of PortNameTable).  An index
// outside the table is held to its nearest end, as every index of the
// settings is, so that the port opened is the one the status pane names.
const char* PortName(const PortSettings& settings);

// The row of the offered baud rates (115200 .. 2400) whose text is `text`;
// -1 when none is.
int BaudRowOf(const char* text);

// What the port opens: the chosen device's path, else "COM1".."COM6" of
// portIndex (held to the table).
const char* PortNameOf(const PortSettings& settings);

// Chooses a device by path (empty: back to portIndex); texts that do not fit
// are refused (false) and the settings stay as they were.
bool SelectDevice(PortSettings& settings, const char* path, const char* name);

// Writes the settings into the session's record.  Out-of-range indices are
// held to their tables, so the record never carries an undefined value.
void ApplyPortSettings(const PortSettings& settings, LineSettings& line);

// The status line "%s: %s bps, %s" of an open port (port, baud text, flow
// text), written into `out` (at least 64 bytes).
void FormatPortStatus(const PortSettings& settings, char* out, int size);

}  // namespace tessaro
