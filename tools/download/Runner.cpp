#include "tools/download/Runner.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/front/MenuCommands.h"
#include "download/DownloadTexts.h"
#include "download/ImageCheck.h"
#include "download/ImageFile.h"
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
    std::fprintf(c.err, "tessaro-download: %s\n%s: %s\n", download_text::kCannotOpenFile,
                 o.image.c_str(), std::strerror(errno));
    return kDownloadBadImage;
  }
  const FaultDetail fault = CheckImage(image);
  if (fault.fault == ImageFault::kNone) return kDownloadOk;
  char text[512];
  FormatImageFault(fault, false, text, sizeof text);
  std::fprintf(c.err, "tessaro-download: %s: %s\nNothing was sent.\n", o.image.c_str(), text);
  return kDownloadBadImage;
}

// The base to update once it has answered; 0 when none did in time.
int WaitForBase(const DownloadOptions& o, Engine& engine) {
  const auto present = [&engine](int base) {
    return engine.Read([base](const EngineView& v) { return v.registry.IsBasePresent(base); });
  };
  const auto deadline = Steady::now() + std::chrono::seconds(o.discoverySeconds);
  for (;;) {
    int base = engine.ConnectedBase();
    if (o.base != 0) base = present(o.base) ? o.base : 0;
    if (base != 0 || Steady::now() >= deadline) return base;
    std::this_thread::sleep_until(std::min(Steady::now() + kPoll, deadline));
  }
}

}  // namespace

int CheckImageOnly(const DownloadOptions& o, const DownloadConsole& c) {
  ImageFile image;
  const int status = OpenAndCheck(o, image, c);
  if (status != kDownloadOk) return status;
  PrintImageSummary(c.out, o.image.c_str(), SummarizeImage(image));
  return kDownloadOk;
}

int RunDownloadTool(const DownloadOptions& o, Engine& engine, const DownloadConsole& c) {
  long long imageBytes = 0;
  {
    ImageFile image;
    const int status = OpenAndCheck(o, image, c);
    if (status != kDownloadOk) return status;
    imageBytes = image.Size();
  }

  engine.SelectPort(ComPortIndex(o.port.c_str()));
  engine.SelectBaud(o.baudRow);
  if (!engine.Open()) {
    const OpenFailure& why = engine.LastOpenFailure();
    std::fprintf(c.err, "tessaro-download: %s (%s)%s%s\n", download_text::kCannotOpenPort,
                 o.port.c_str(), why.reason[0] != '\0' ? ": " : "", why.reason);
    return kDownloadPort;
  }
  const int base = WaitForBase(o, engine);
  if (base == 0) {
    engine.Close();
    std::fprintf(c.err, "tessaro-download: %s\n", kBaseNotConnectedText);
    if (o.base != 0) {
      std::fprintf(c.err, "base %d did not answer on %s within %d s\n", o.base, o.port.c_str(),
                   o.discoverySeconds);
    } else {
      std::fprintf(c.err, "no base answered on %s within %d s\n", o.port.c_str(),
                   o.discoverySeconds);
    }
    return kDownloadNotReady;
  }
  engine.SendUpdateRequest(base);
  engine.Close();
  std::fprintf(c.out, "Base %d: loading %s (%lld bytes) on %s\n", base, o.image.c_str(), imageBytes,
               o.port.c_str());
  std::fflush(c.out);

  ConsoleDownloadUi ui(o.image, imageBytes, c.tty, c.out, c.err);
  DownloadState state;
  const DownloadResult result = engine.Download(ui, state);
  if (result == DownloadResult::kCompleted) return kDownloadOk;
  if (ui.Status() != kDownloadOk) return ui.Status();
  return result == DownloadResult::kCannotOpen ? kDownloadPort : kDownloadFault;
}

}  // namespace tessaro::cli
