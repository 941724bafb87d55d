#include "tools/download/Runner.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include "app/front/MenuCommands.h"
#include "download/DownloadTexts.h"
#include "download/ImageCheck.h"
#include "download/ImageFile.h"
#include "link/PortNames.h"
#include "tools/common/Terminal.h"
#include "tools/download/ConsoleDownloadUi.h"
#include "tools/download/ImageSummary.h"
#include "tools/download/Statuses.h"
#include "tools/linktest/Runner.h"

namespace tessaro::cli {

namespace {

using Steady = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(50);

// Opens and checks the whole image; on refusal says why.  kDownloadOk when
// it is sound.
int OpenAndCheck(const DownloadOptions& o, ImageFile& image, const DownloadConsole& c) {
  if (!image.Open(o.image.c_str())) {
    std::fprintf(c.err, "tessaro-download: %s\n%s: %s\nNothing was sent.\n",
                 download_text::kCannotOpenFile, o.image.c_str(), image.Why());
    return kDownloadBadImage;
  }
  const FaultDetail fault = CheckImage(image);
  if (fault.fault == ImageFault::kNone) return kDownloadOk;
  char text[512];
  FormatImageFault(fault, false, text, sizeof text);
  std::fprintf(c.err, "tessaro-download: %s: %s\nNothing was sent.\n", o.image.c_str(), text);
  return kDownloadBadImage;
}

// The base to update once it has answered; 0 when none did in time, -1 when
// the user interrupted the wait.
int WaitForBase(const DownloadOptions& o, Engine& engine, Pause& pause) {
  const auto present = [&engine](int base) {
    return engine.Read([base](const EngineView& v) { return v.registry.IsBasePresent(base); });
  };
  const auto deadline = Steady::now() + std::chrono::seconds(o.discoverySeconds);
  for (;;) {
    int base = engine.ConnectedBase();
    if (o.base != 0) base = present(o.base) ? o.base : 0;
    if (base != 0 || Steady::now() >= deadline) return base;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
    if (!pause.Sleep(static_cast<int>(std::min(left, kPoll).count()) + 1)) return -1;
  }
}

// The state an interrupted download leaves the base in, and what to do.
void SayWhereItStopped(const ConsoleDownloadUi& ui, const DownloadConsole& c) {
  if (ui.Percent() < 0) {
    std::fprintf(c.err,
                 "tessaro-download: stopped in the loader's handshake, before any packet; the "
                 "base may wait in update mode.\n");
  } else {
    std::fprintf(c.err,
                 "tessaro-download: stopped after about %d %% of the image; the base's loader "
                 "holds part of the new program and waits in update mode.\n",
                 ui.Percent());
  }
  std::fprintf(c.err,
               "Run the same command again to load the whole image: with no base answering, it "
               "goes straight to the loader's handshake.\n");
}

}  // namespace

int CheckImageOnly(const DownloadOptions& o, const DownloadConsole& c) {
  ImageFile image;
  const int status = OpenAndCheck(o, image, c);
  if (status != kDownloadOk) return status;
  PrintImageSummary(c.out, o.image.c_str(), SummarizeImage(image));
  return kDownloadOk;
}

int RunDownloadTool(const DownloadOptions& o, Engine& engine, const DownloadConsole& c,
                    Pause& pause) {
  // The image is read once, here: what was checked is what goes out.
  DownloadState state;
  {
    ImageFile image;
    const int status = OpenAndCheck(o, image, c);
    if (status != kDownloadOk) return status;
    state.image = image.Bytes();
    state.imageGiven = true;
  }
  const auto imageBytes = static_cast<long long>(state.image.size());

  engine.SelectPort(ComPortIndex(o.port.c_str()));
  engine.SelectBaud(o.baudRow);
  if (!engine.Open()) {
    const OpenFailure& why = engine.LastOpenFailure();
    std::fprintf(c.err, "tessaro-download: %s (%s)%s%s\n", download_text::kCannotOpenPort,
                 o.port.c_str(), why.reason[0] != '\0' ? ": " : "", why.reason);
    return kDownloadPort;
  }
  const int base = WaitForBase(o, engine, pause);
  const bool noBase = base == 0 && engine.ConnectedBase() == 0;
  if (base < 0 || (base == 0 && !noBase)) {
    engine.Close();
    if (base < 0) {
      std::fprintf(c.err, "tessaro-download: interrupted; nothing was sent\n");
      return kDownloadInterrupted;
    }
    std::fprintf(c.err, "tessaro-download: %s\nbase %d did not answer on %s within %d s\n",
                 kBaseNotConnectedText, o.base, o.port.c_str(), o.discoverySeconds);
    return kDownloadNotReady;
  }
  // From here on the base may be in update mode: only an interrupt the user
  // means stops the download, and only between packets.
  OutliveTheTerminal();
  if (noBase) {
    // A base whose loader still waits from a failed or interrupted download
    // answers no session; its loader answers the handshake.
    engine.Close();
    std::fprintf(c.err,
                 "tessaro-download: no base answered on %s within %d s; trying the handshake of "
                 "a loader left waiting by an earlier download\n",
                 o.port.c_str(), o.discoverySeconds);
    std::fprintf(c.out, "Loading %s (%lld bytes) on %s\n", o.image.c_str(), imageBytes,
                 o.port.c_str());
  } else {
    engine.SendUpdateRequest(base);
    engine.Close();
    std::fprintf(c.out, "Base %d: loading %s (%lld bytes) on %s\n", base, o.image.c_str(),
                 imageBytes, o.port.c_str());
  }
  std::fflush(c.out);

  ConsoleDownloadUi ui(o.image, imageBytes, c, pause);
  const DownloadResult result = engine.Download(ui, state);
  if (result == DownloadResult::kCompleted) return kDownloadOk;
  if (ui.Status() == kDownloadInterrupted) SayWhereItStopped(ui, c);
  if (noBase && ui.Status() == kDownloadNotReady) {
    std::fprintf(c.err, "tessaro-download: no base answered, and no loader either\n");
    // A COM name may stand for another device than the user thinks.
    char device[320];
    DescribePortName(o.port.c_str(), device, sizeof device);
    if (device[0] != '\0') std::fprintf(c.err, "tessaro-download: %s\n", device);
  }
  if (ui.Status() != kDownloadOk) return ui.Status();
  return result == DownloadResult::kCannotOpen ? kDownloadPort : kDownloadFault;
}

}  // namespace tessaro::cli
