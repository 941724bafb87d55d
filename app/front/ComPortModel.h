#pragma once

#include <string>
#include <vector>

#include "app/front/DialogLayout.h"
#include "link/PortList.h"
#include "link/PortSettings.h"

namespace tessaro {

class Engine;

// The five selections of the port dialog, as list rows (-1: no selection).
struct ComChoices {
  int port = -1;
  int baud = -1;
  int dataBits = -1;
  int parity = -1;
  int flow = -1;
  // Reopen the device by itself when it comes back after a lost link.
  bool reconnect = false;
  // A typed network port (app/front/NetworkPortChoice.h); when it is
  // usable it is chosen instead of the port row.
  std::string networkPort;
};

// The rows the lists open with.  A stored index outside what its list offers
// (the baud table's last row is never offered) opens without a selection.
// The port list is COM1..COM6, then `devices`: a chosen device is its row
// there, or no selection when it is gone.
ComChoices ChoicesFromSettings(const PortSettings& settings,
                               const std::vector<PortInfo>& devices = {});

// OK: the settings count as confirmed and take the chosen rows.  A list left
// without a selection keeps the value in force rather than storing -1.  A
// port row after COM6 chooses that entry of `devices`; COM1..COM6 drop a
// device chosen before.  A usable typed network port goes before the port row.
void ConfirmComChoices(PortSettings& settings, const ComChoices& choices,
                       const std::vector<PortInfo>& devices = {});

// The "COM Port Properties" dialog: five drop-down lists, OK and Cancel.
class ComPortModel {
 public:
  static constexpr int kLists = 5;
  static constexpr DialogFrame kFrame{"COM Port Properties", 140, 155};
  static constexpr DialogField kFields[kLists] = {
      {701, "&COM port :", {13, 20, 48, 12}, {68, 18, 52, 0}},
      {702, "&Baud rate :", {13, 40, 48, 12}, {68, 38, 52, 0}},
      {703, "&Data bits :", {13, 60, 48, 12}, {68, 58, 52, 0}},
      {704, "&Parity :", {13, 80, 48, 12}, {68, 78, 52, 0}},
      {705, "&Flow control :", {13, 100, 48, 12}, {68, 98, 52, 0}},
  };
  static constexpr DialogButtons kButtons{{10, 6, 120, 114}, {10, 131, 40, 14}, {90, 131, 40, 14}};
  // Off whenever the program starts; never stored.
  static constexpr DialogField kReconnect{706, "Re&connect by itself", {13, 120, 114, 10}, {}};

  // The texts of list `list` (0..4, in the order of kFields) and their count;
  // list 0 with COM1..COM6 only.
  static int ListTexts(int list, const char* const** texts);

  // Lists the machine's devices when the dialog opens (`devices` given:
  // those instead, for tests).
  explicit ComPortModel(Engine& engine);
  ComPortModel(Engine& engine, std::vector<PortInfo> devices);
  // The port list as the dialog shows it: COM1..COM6, then each device with
  // what identifies it.
  std::vector<std::string> PortTexts() const;
  // The selections the lists open with, read when the dialog opens.
  const ComChoices& Initial() const { return initial_; }
  // OK.
  void Confirm(const ComChoices& choices);

 private:
  Engine& engine_;
  std::vector<PortInfo> devices_;
  ComChoices initial_;
};

}  // namespace tessaro
