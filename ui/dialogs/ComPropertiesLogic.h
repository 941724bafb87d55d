#pragma once

#include "link/PortSettings.h"

namespace tessaro {

// The five selections of the port dialog, as list rows (-1: no selection).
struct ComChoices {
  int port = -1;
  int baud = -1;
  int dataBits = -1;
  int parity = -1;
  int flow = -1;
};

// The rows the lists open with.  A stored index outside what its list offers
// (the baud table's last row is never offered) opens without a selection.
ComChoices ChoicesFromSettings(const PortSettings& settings);

// OK: the settings count as confirmed and take the chosen rows.  A list left
// without a selection keeps the value in force rather than storing -1.
void ConfirmComChoices(PortSettings& settings, const ComChoices& choices);

}  // namespace tessaro
