#pragma once

#include <string>
#include <vector>

#include "app/PortChoices.h"
#include "app/front/DialogLayout.h"
#include "link/PortList.h"
#include "link/PortSettings.h"

namespace tessaro {

class Engine;

// The "COM Port Properties" dialog: five drop-down lists, a box to type a
// network port instead, OK and Cancel.
class ComPortModel {
 public:
  static constexpr int kLists = 5;
  static constexpr DialogFrame kFrame{"COM Port Properties", 140, 219};
  static constexpr DialogField kFields[kLists] = {
      {701, "&COM port :", {13, 20, 48, 12}, {68, 18, 52, 0}},
      {702, "&Baud rate :", {13, 40, 48, 12}, {68, 38, 52, 0}},
      {703, "&Data bits :", {13, 60, 48, 12}, {68, 58, 52, 0}},
      {704, "&Parity :", {13, 80, 48, 12}, {68, 78, 52, 0}},
      {705, "&Flow control :", {13, 100, 48, 12}, {68, 98, 52, 0}},
  };
  // The network port: its label (left-aligned) above a box the width of the
  // group, and under the box the note on what was typed, up to three lines.
  static constexpr DialogField kNetworkPort{
      707, "&Network port :", {13, 118, 114, 10}, {13, 129, 114, 12}};
  static constexpr DialogField kNetworkNote{708, "", {13, 144, 114, 24}, {}};
  // Off whenever the program starts; never stored.
  static constexpr DialogField kReconnect{706, "Re&connect by itself", {13, 170, 114, 10}, {}};
  static constexpr DialogButtons kButtons{{10, 6, 120, 178}, {10, 195, 40, 14}, {90, 195, 40, 14}};

  // The texts of list `list` (0..4, in the order of kFields) and their count;
  // list 0 with COM1..COM6 only.
  static int ListTexts(int list, const char* const** texts);

  // What the note under the network port box says of `typed` (blanks around
  // it do not count): how to write one while it is empty, then why it cannot
  // be used or what it cannot do.
  static const char* NetworkNote(const std::string& typed);

  // Lists the machine's devices when the dialog opens (`devices` given:
  // those instead, for tests).
  explicit ComPortModel(Engine& engine);
  ComPortModel(Engine& engine, std::vector<PortInfo> devices);
  // The port list as the dialog shows it: COM1..COM6, then each other
  // device, each with what identifies it where that is known (a device
  // named COM1..COM6, as on Windows, describes its row).
  std::vector<std::string> PortTexts() const;
  // The selections the lists open with, and the network port the box opens
  // with, read when the dialog opens.
  const ComChoices& Initial() const { return initial_; }
  // OK.  On true the dialog closes; on false it stays open with the focus on
  // the network port box after showing `refusal` (a typed text that names no
  // network port), and nothing changed.  An empty box with no port row
  // chosen drops a network port in force for the COM port in force.
  bool Confirm(const ComChoices& choices, const char** refusal);

 private:
  Engine& engine_;
  std::vector<PortInfo> devices_;  // those after COM1..COM6
  std::string fixedDetails_[kPortCount];
  ComChoices initial_;
};

}  // namespace tessaro
