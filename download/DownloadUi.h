#pragma once

#include <cstddef>

namespace tessaro {

// How a download message box looks: failures carry the warning icon, the
// final "Downloaded completely." box carries none.
enum class DownloadBox { kWarning, kPlain };

// Which window owns a message box.  Every box of the download belongs to the
// topology view except "Failed to set communication state", which has none.
enum class BoxOwner { kView, kNone };

// What the download shows to the operator and asks of him.  The window
// implements it with its file dialog, message boxes and the "Progress"
// dialog; tests answer it themselves.  Every call comes from the thread that
// runs the download (the window thread) and may block while a dialog is up;
// texts are copied before the call returns.
class DownloadUi {
 public:
  virtual ~DownloadUi() = default;

  // The open-file dialog with the filter "Absolute object programs {*.ABO}"
  // (pattern "*.ABO", default extension "ABO"; the file must exist).  `path`
  // holds the choice of the previous download of this run, or is empty; on
  // true it holds the chosen path, zero-terminated, within `size` bytes.
  // false: the operator cancelled.  The posted Close of the port session runs
  // while this dialog is up.
  virtual bool ChooseImageFile(char* path, std::size_t size) = 0;

  // A modal message box with an OK button.
  virtual void ShowMessage(const char* text, const char* caption, DownloadBox box,
                           BoxOwner owner) = 0;

  // A Yes/No question box with the question icon, owned by the view.  true
  // only for Yes.
  virtual bool AskRetry(const char* text, const char* caption) = 0;

  // The modeless "Progress" dialog ("Downloading..." and a bar from 0 to 100,
  // at 0).  It takes no input and cannot cancel the download.
  virtual void ShowProgress() = 0;
  virtual void SetProgress(int percent) = 0;
  virtual void HideProgress() = 0;

  // Lets the windows repaint (paint events only, no input) so that the bar
  // visibly moves while the download keeps the window thread.
  virtual void LetWindowsPaint() = 0;

  // Whether the operator asked the download to stop (a console's interrupt).
  // Asked before each handshake try and each data packet, so that the packet
  // on the line is always answered first; the loader then keeps the packets
  // it took.  The window cannot stop a download: false.
  virtual bool StopRequested() { return false; }
};

}  // namespace tessaro
