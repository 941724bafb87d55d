#include "link/AnySerialPort.h"

#include "link/NativeSerialPort.h"
#include "link/NetworkPortName.h"
#include "link/PortNames.h"
#include "link/RawTcpSerialPort.h"
#include "link/Rfc2217SerialPort.h"

namespace tessaro {

std::unique_ptr<SerialPort> MakeNativeSerialPort() {
  return std::make_unique<AnySerialPort>();
}

AnySerialPort::AnySerialPort()
    : local_(MakeLocalSerialPort()),
      rfc2217_(std::make_unique<Rfc2217SerialPort>()),
      rawTcp_(std::make_unique<RawTcpSerialPort>()) {
  active_.store(local_.get());
}

AnySerialPort::~AnySerialPort() = default;

bool AnySerialPort::Open(const char* name) {
  // An open port stays the one that answers (and refuses the second open).
  if (Active().IsOpen()) return Active().Open(name);
  char resolved[512];
  const char* target = ResolvePortName(name, resolved, sizeof resolved) ? resolved : name;
  SerialPort* chosen = local_.get();
  switch (ParseNetworkPortName(target).scheme) {
    case NetworkScheme::Rfc2217:
      chosen = rfc2217_.get();
      break;
    case NetworkScheme::RawTcp:
      chosen = rawTcp_.get();
      break;
    case NetworkScheme::None:
      break;
  }
  active_.store(chosen, std::memory_order_release);
  // A local device opens by the name as given, so that its failure names
  // what the user chose.
  return chosen->Open(chosen == local_.get() ? name : target);
}

}  // namespace tessaro
