#pragma once

namespace tessaro {

// The waits of the download.  The defaults are the loader's rhythm; tests
// shorten them to keep their real waiting to a few seconds.
struct DownloadTiming {
  int replyWaitMs = 2000;  // one awaited reply line
  int pauseMs = 500;       // the sleep between the handshake and the first packet
};

}  // namespace tessaro
