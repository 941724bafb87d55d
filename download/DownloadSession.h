#pragma once

// Putting a new program image into the attached base.
//
// The shell's part of the Download command comes first: it checks that a
// session is open and a base present, sends "@UP" nn "\r" to the first
// present base (Engine::SendUpdateRequest), posts the Close command so that
// it runs inside the file dialog, and then calls RunDownload.  When
// RunDownload completes the shell posts the Open command; on any other result
// the session stays closed.

#include <cstddef>
#include <vector>

#include "core/Clock.h"
#include "download/DownloadTiming.h"
#include "download/DownloadUi.h"
#include "link/PortSettings.h"
#include "link/SerialPort.h"

namespace tessaro {

inline constexpr std::size_t kImagePathSize = 4096;

// What the download keeps for the whole run: the image path chosen last,
// offered again by the next file dialog.  Empty at start.
struct DownloadState {
  char imagePath[kImagePathSize] = {};
  // A front end that read and checked the image itself, before the base was
  // told "@UP", hands its bytes over here: every attempt then sends exactly
  // these and the file is not read again.
  std::vector<char> image;
  bool imageGiven = false;
};

// The line settings of every download, whatever the session's settings
// say: 115200 bits per second, 8 data bits, no parity, one stop bit, DTR and
// RTS on, no flow control; every other field zero.
LineSettings DownloadLineSettings();

// Queues (input 256, output 1200) and write time-outs (5 ms per byte + 50 ms)
// of the download's port.
PortTimeouts DownloadPortTimeouts();

// Runs the whole download on the calling (window) thread: file dialog, image
// and port opened (the port by the name in `settings`, on `port`, which the
// port session must have released by the time the file dialog returns),
// handshake, packets with the progress dialog, the retry question after a
// failed attempt, and the final message.  The port and the image are released
// on every path.
//
// How a download ended.
enum class DownloadResult {
  kCompleted,   // the image went through
  kStopped,     // the operator cancelled the file dialog, the port refused the
                // line settings, or a failed attempt was not retried
  kCannotOpen,  // the image file or the port cannot be opened
};

DownloadResult RunDownload(SerialPort& port, const PortSettings& settings, Clock& clock,
                           DownloadUi& ui, DownloadState& state, const DownloadTiming& timing = {});

}  // namespace tessaro
