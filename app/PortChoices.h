#pragma once

#include <string>
#include <vector>

#include "link/PortList.h"
#include "link/PortSettings.h"

namespace tessaro {

// The five selections of the port dialog, as list rows (-1: no selection).
struct ComChoices {
  int port = -1;
  int baud = -1;
  int dataBits = -1;
  int parity = -1;
  int flow = -1;
  // Reopen the device by itself when it comes back after a lost link.
  bool reconnect = false;
  // A typed network port (app/NetworkPortChoice.h); when it is usable it is
  // chosen instead of the port row.
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
// device chosen before.  A usable typed network port goes before the port row;
// an empty one with no port row drops a network port in force for the COM
// row in force.
void ConfirmComChoices(PortSettings& settings, const ComChoices& choices,
                       const std::vector<PortInfo>& devices = {});

}  // namespace tessaro
