#pragma once

#include <cstddef>

#include "core/Clock.h"
#include "download/DownloadTiming.h"
#include "download/DownloadUi.h"
#include "download/PacketBuffer.h"
#include "download/ReplyLine.h"
#include "link/SerialPort.h"

namespace tessaro {

// The request-and-reply rhythm of the base's loader: the PC writes one line
// or packet, then waits for one reply line ending in CR.  Synchronous, on a
// port the download holds by itself (no reader thread).
class LineExchange {
 public:
  LineExchange(SerialPort& port, Clock& clock, DownloadUi& ui, const DownloadTiming& timing)
      : port_(port), clock_(clock), ui_(ui), timing_(timing) {}

  // Writes the bytes (the count written is not looked at), then awaits one
  // reply line.
  void SendAndAwaitReply(const void* bytes, std::size_t count);

  // Fills the reply line: reads of up to 3 bytes until a read that returned
  // bytes ends in CR, or the wait's deadline passes.  A CR followed by more
  // bytes in the same read does not end the wait.  The port is polled with
  // the remaining time, never spun on; a line that has gone away (hang-up,
  // read failure) ends the wait at once with what came, and LineGone() says
  // so from then on.
  void AwaitReplyLine(int waitMs);

  // Completes the data packet of `length` bytes in the packet buffer, sends
  // it and waits for its acknowledgement: up to three sends; "FN" sends
  // again, "FF" is a fault, a line that went away ends the repeats.  1 when
  // the base accepted it; 0 after telling the operator why not.
  int SendPacket(int length);

  // The device went away (a hang-up, a failed read or write): nothing more
  // will come, and no repeat can help.
  bool LineGone() const { return lineGone_; }

  // Sends the end packet and awaits one reply line, not examined.
  void SendEndPacket();

  const ReplyLine& Reply() const { return reply_; }
  PacketBuffer& Packet() { return packet_; }

 private:
  // What a reply line means to a data packet.
  enum class Ack { kAccepted, kRepeat, kFault, kOther };
  Ack Examine() const;

  SerialPort& port_;
  Clock& clock_;
  DownloadUi& ui_;
  const DownloadTiming timing_;
  ReplyLine reply_;
  PacketBuffer packet_;
  bool lineGone_ = false;
};

}  // namespace tessaro
