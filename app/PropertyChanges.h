#pragma once

#include "core/PortWriter.h"
#include "link/PortSettings.h"
#include "protocol/CommandBuffer.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// The mode value of a slave base: it takes its rate from its master, so
// neither mode nor baud is changed through it.
inline constexpr char kSlaveMode = '2';

// The selections of the five property lists (-1: no selection).
struct PropertyChoices {
  int channel = -1;
  int group = -1;
  int power = -1;
  int mode = -1;
  int baud = -1;
};

// OK, steps before the baud question: writes one set command per changed
// property in the order channel, group, power, time-out, mode.  A list
// without a selection counts as changed and sends "0".  Returns the baud row
// to ask about, or -1 when the baud stays (or the stored mode is slave).
// Under the engine lock; `stored` is the base's record as it is now.
int SendPropertyChanges(CommandBuffer& commands, PortWriter& port, int base,
                        const BaseProperties& stored, const PropertyChoices& chosen, int timeout,
                        bool sixChannelMode);

// The confirmed baud change: "@SP" + rate text + "\r", and the PC and the
// base follow the new row at the next open.  Under the engine lock.
void SendBaudChange(CommandBuffer& commands, PortWriter& port, PortSettings& settings,
                    BaseProperties& stored, int baudRow);

}  // namespace tessaro
