#include "link/PortSession.h"

// Stand-in until the serial link lands: the port never opens.

namespace tessaro {

PortSession::PortSession(SerialPort& port, ByteSink& sink, Display& display)
    : port_(port), sink_(sink), display_(display) {}

PortSession::~PortSession() {
  ClosePort();
}

int PortSession::OpenPort(const PortSettings& /*settings*/) {
  display_.ShowMessage("Can't open the COM port!", "Error", MessageIcon::Warning);
  return 0;
}

void PortSession::ClosePort() {
  display_.SetPaneText(0, "  ");
  display_.SetPaneText(1, "  ");
  display_.SetPaneText(2, "  ");
}

void PortSession::Write(const char* bytes, std::size_t count) {
  if (IsOpen()) port_.Write(bytes, count);
}

void PortSession::ReaderLoop() {}

}  // namespace tessaro
