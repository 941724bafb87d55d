#include "download/DownloadSession.h"

#include <chrono>
#include <thread>

#include "download/DownloadTexts.h"
#include "download/ImageCheck.h"
#include "download/ImageFile.h"
#include "download/LineExchange.h"
#include "download/SRecordConverter.h"

namespace tessaro {

namespace {

// One download: the port and the image it holds, and the attempts.
class DownloadSession {
 public:
  DownloadSession(SerialPort& port, Clock& clock, DownloadUi& ui, const DownloadTiming& timing)
      : port_(port),
        ui_(ui),
        timing_(timing),
        line_(port, clock, ui, timing),
        converter_(line_, ui) {}

  int Run(const PortSettings& settings, DownloadState& state);

 private:
  int RunTransferAttempt();
  int DownloadHandshake();
  bool CheckImageFile();
  void Warn(const char* text, BoxOwner owner = BoxOwner::kView);
  void Release();

  SerialPort& port_;
  DownloadUi& ui_;
  const DownloadTiming timing_;
  LineExchange line_;
  SRecordConverter converter_;
  ImageFile image_;
};

void DownloadSession::Warn(const char* text, BoxOwner owner) {
  ui_.ShowMessage(text, download_text::kCaption, DownloadBox::kWarning, owner);
}

void DownloadSession::Release() {
  port_.PurgeInput();
  image_.Close();
  port_.Close();
}

int DownloadSession::Run(const PortSettings& settings, DownloadState& state) {
  if (!ui_.ChooseImageFile(state.imagePath, sizeof state.imagePath)) return 0;
  state.imagePath[sizeof state.imagePath - 1] = '\0';

  if (state.imageGiven) {
    image_.Adopt(state.image);
  } else if (!image_.Open(state.imagePath)) {
    Warn(download_text::kCannotOpenFile);
    return -1;
  }
  if (!port_.Open(PortNameOf(settings))) {
    Warn(download_text::kCannotOpenPort);
    image_.Close();
    return -1;
  }
  port_.SetQueuesAndTimeouts(DownloadPortTimeouts());
  if (!port_.ApplyLineSettings(DownloadLineSettings())) {
    Warn(download_text::kSettingsRefused, BoxOwner::kNone);
    Release();
    return 0;
  }

  int result = RunTransferAttempt();
  while (result == 0) {
    if (ui_.StopRequested() || line_.LineGone()) break;
    if (!ui_.AskRetry(download_text::kRetryQuestion, download_text::kCaption)) break;
    // The operator may have mended the file meanwhile: it is read afresh,
    // and a file that cannot be opened again fails the next attempt's check.
    if (!state.imageGiven) {
      image_.Close();
      (void)image_.Open(state.imagePath);
    }
    result = RunTransferAttempt();
  }
  Release();

  if (result == 1) {
    ui_.ShowMessage(download_text::kCompleted, download_text::kSuccessCaption, DownloadBox::kPlain,
                    BoxOwner::kView);
  }
  return result;
}

bool DownloadSession::CheckImageFile() {
  const FaultDetail fault = CheckImage(image_);
  if (fault.fault == ImageFault::kNone) return true;
  char text[512];
  FormatImageFault(fault, true, text, sizeof text);
  Warn(text);
  return false;
}

int DownloadSession::RunTransferAttempt() {
  port_.SetQueuesAndTimeouts(DownloadPortTimeouts());
  if (!CheckImageFile()) return 0;
  if (!DownloadHandshake()) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(timing_.pauseMs));

  ui_.ShowProgress();
  ui_.LetWindowsPaint();
  const int result = converter_.ConvertAndSendImage(image_);
  ui_.HideProgress();
  return result;
}

int DownloadSession::DownloadHandshake() {
  static constexpr char kWake[] = "\r";
  static constexpr char kMakerWord[] = "QUORVAN\r";
  static constexpr char kDownloadRequest[] = "DOWNLOAD\r";
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (ui_.StopRequested()) {
      Warn(download_text::kInterrupted);
      return 0;
    }
    line_.SendAndAwaitReply(kWake, sizeof kWake - 1);
    if (line_.Reply().Is("FN") || line_.Reply().Is("FF")) return 1;
    if (line_.LineGone()) break;
    line_.SendAndAwaitReply(kMakerWord, sizeof kMakerWord - 1);
    if (line_.Reply().Is("FN")) return 1;
    if (line_.LineGone()) break;
    if (!line_.Reply().Is("ACK1")) continue;
    line_.SendAndAwaitReply(kDownloadRequest, sizeof kDownloadRequest - 1);
    if (line_.Reply().Is("FN") || line_.Reply().Is("ACK2")) return 1;
    if (line_.LineGone()) break;
  }
  Warn(line_.LineGone() ? download_text::kLineGone : download_text::kNotReady);
  return 0;
}

}  // namespace

LineSettings DownloadLineSettings() {
  LineSettings line{};
  line.baudRate = 115200;
  line.byteSize = 8;
  line.parity = kNoParity;
  line.stopBits = kOneStopBit;
  line.SetDtrControl(kDtrControlEnable);
  line.SetRtsControl(kRtsControlEnable);
  return line;
}

PortTimeouts DownloadPortTimeouts() {
  PortTimeouts timeouts;
  timeouts.inputQueue = 256;
  timeouts.outputQueue = 1200;
  timeouts.writeMsPerByte = 5;
  timeouts.writeConstantMs = 50;
  return timeouts;
}

DownloadResult RunDownload(SerialPort& port, const PortSettings& settings, Clock& clock,
                           DownloadUi& ui, DownloadState& state, const DownloadTiming& timing) {
  DownloadSession session(port, clock, ui, timing);
  const int result = session.Run(settings, state);
  if (result > 0) return DownloadResult::kCompleted;
  return result == 0 ? DownloadResult::kStopped : DownloadResult::kCannotOpen;
}

}  // namespace tessaro
