#include "download/LineExchange.h"

#include <cstdint>

#include "download/DownloadTexts.h"

namespace tessaro {

void LineExchange::SendAndAwaitReply(const void* bytes, std::size_t count) {
  // A short write shows up as a missing reply; a failed one means the
  // device is gone (a full output queue only writes short).
  if (port_.Write(static_cast<const char*>(bytes), count) < 0) lineGone_ = true;
  AwaitReplyLine(timing_.replyWaitMs);
}

void LineExchange::AwaitReplyLine(int waitMs) {
  reply_.Clear();
  const std::uint32_t deadline = clock_.NowMs() + static_cast<std::uint32_t>(waitMs);
  char chunk[3];
  bool lineGone = false;
  for (;;) {
    const long got = port_.Read(chunk, sizeof chunk);
    if (got < 0) {
      lineGone_ = true;
      break;
    }
    if (got > 0) {
      reply_.Append(chunk, static_cast<std::size_t>(got));
      if (chunk[got - 1] == '\r') break;
    }
    const std::int32_t remaining = ElapsedMs(deadline, clock_.NowMs());
    if (remaining < 0) break;
    if (got > 0) continue;  // more may be queued already
    if (lineGone) break;    // what was queued has been read; nothing more will come
    const WaitResult wait = port_.WaitReadable(remaining + 1);
    if (wait == WaitResult::HungUp || wait == WaitResult::Failed) lineGone = lineGone_ = true;
  }
  reply_.Finish();
}

LineExchange::Ack LineExchange::Examine() const {
  if (reply_.Is("FA")) return Ack::kAccepted;
  if (reply_.Is("FN")) return Ack::kRepeat;
  if (reply_.Is("FF")) return Ack::kFault;
  return Ack::kOther;
}

int LineExchange::SendPacket(int length) {
  const int onLine = packet_.Complete(length);
  for (int send = 0; send < 3; ++send) {
    SendAndAwaitReply(packet_.bytes, static_cast<std::size_t>(onLine));
    // The reply and, when it is none of the three, one more line are
    // examined; a third line is only awaited, so that a late answer to this
    // send is not taken for the answer to the next.
    Ack ack = Examine();
    if (ack == Ack::kOther) {
      AwaitReplyLine(timing_.replyWaitMs);
      ack = Examine();
      if (ack == Ack::kOther) AwaitReplyLine(timing_.replyWaitMs);
    }
    if (ack == Ack::kAccepted) return 1;
    if (lineGone_) {
      ui_.ShowMessage(download_text::kLineGone, download_text::kCaption, DownloadBox::kWarning,
                      BoxOwner::kView);
      return 0;
    }
    if (ack == Ack::kFault) {
      ui_.ShowMessage(download_text::kFault, download_text::kCaption, DownloadBox::kWarning,
                      BoxOwner::kView);
      return 0;
    }
  }
  ui_.ShowMessage(download_text::kTimeOut, reply_.text, DownloadBox::kWarning, BoxOwner::kView);
  return 0;
}

void LineExchange::SendEndPacket() {
  SendAndAwaitReply(kEndPacket, sizeof kEndPacket);
}

}  // namespace tessaro
