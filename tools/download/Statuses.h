#pragma once

namespace tessaro::cli {

// Exit statuses of tessaro-download (listed in --help and the manual page).
inline constexpr int kDownloadOk = 0;
inline constexpr int kDownloadUsage = 2;        // bad options, or the trace cannot be written
inline constexpr int kDownloadBadImage = 3;     // the image cannot be read or is refused
inline constexpr int kDownloadPort = 4;         // the port cannot be opened or set
inline constexpr int kDownloadNotReady = 5;     // no base and no loader answered, or the
                                                // loader did not complete the handshake
inline constexpr int kDownloadFault = 6;        // the base refused a packet ("FF")
inline constexpr int kDownloadTimeOut = 7;      // a packet was not acknowledged in three
                                                // sends, or the serial device went away
inline constexpr int kDownloadInterrupted = 8;  // SIGINT or SIGTERM
inline constexpr int kDownloadTraceCut = 9;     // went through, but the trace is not whole

}  // namespace tessaro::cli
