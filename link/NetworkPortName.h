#pragma once

#include <cstddef>

namespace tessaro {

// A port on a serial device server: "rfc2217://HOST:PORT" (telnet with the
// com-port option: the line settings reach the far port) or
// "tcp://HOST:PORT" (the bytes as they are).  HOST is a name, an IPv4
// address or an IPv6 address in brackets.
enum class NetworkScheme { None, Rfc2217, RawTcp };

struct NetworkPortName {
  NetworkScheme scheme = NetworkScheme::None;
  bool valid = false;  // HOST and PORT were found and fit
  char host[256] = {};
  char service[8] = {};  // the port number as text, 1..65535
};

// Scheme None for a name that is no network port (a device name or path);
// a network scheme with valid false for one that names no host or port.
NetworkPortName ParseNetworkPortName(const char* name);

}  // namespace tessaro
