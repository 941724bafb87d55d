#pragma once

// The download's own texts, exactly as the operator sees them.

namespace tessaro::download_text {

inline constexpr const char* kCaption = "Program Download";
inline constexpr const char* kSuccessCaption = "Update Base's Program";

inline constexpr const char* kFileFilter = "Absolute object programs {*.ABO}";
// The pattern of the first filter, as the file dialog takes it.
inline constexpr const char* kFilePattern = "*.ABO";
inline constexpr const char* kDefaultExtension = "ABO";
// The other usual names of S-record files, and any file at all.
inline constexpr const char* kSRecordFilter =
    "S-record files (*.s19 *.srec *.mot *.S19 *.SREC *.MOT)";
inline constexpr const char* kAllFilesFilter = "All files (*)";

inline constexpr const char* kCannotOpenFile = "Can not open the file!";
inline constexpr const char* kCannotOpenPort = "Can not open the COM port!";
inline constexpr const char* kSettingsRefused = "Failed to set communication state";
inline constexpr const char* kNotReady = "Base station is not ready to download!";
inline constexpr const char* kFault = "Fault on downloading!";
inline constexpr const char* kTimeOut = "Error : Time out !!";
inline constexpr const char* kDownloadError = "Error on downloading!";
// The port's device went away during the handshake or the packets (an
// adapter pulled, a line closed): no repeat can help.
inline constexpr const char* kLineGone = "The serial device went away.";
// The operator stopped the download between two packets (a console's
// interrupt); the window has no way to stop one.
inline constexpr const char* kInterrupted = "Download interrupted.";
// After a refused image: "@UP" has gone out already, the packets have not.
inline constexpr const char* kNoProgramDataSent =
    "No program data was sent to the base; it may be waiting in update mode.";
inline constexpr const char* kRetryQuestion = "Download failed, would you like to retry?";
inline constexpr const char* kCompleted = "Downloaded completely.";

inline constexpr const char* kProgressTitle = "Progress";
inline constexpr const char* kProgressText = "Downloading...";

}  // namespace tessaro::download_text
